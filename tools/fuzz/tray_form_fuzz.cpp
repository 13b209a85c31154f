// libFuzzer entry over the tray-form table walker. The input's first
// 16-bit unit gives the length of the form name that follows; the rest is
// the table, copied into a buffer of exactly its size so that any read
// past the table's end is seen.
#include "spooler/tray_form_table.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t nameUnits = (data[0] | (data[1] << 8)) % 40;
    const size_t nameBytes = nameUnits * sizeof(ProfileChar);
    if (size < 2 + nameBytes)
        return 0;
    std::vector<ProfileChar> name(nameUnits + 1, 0);
    memcpy(name.data(), data + 2, nameBytes);
    const size_t tableBytes = size - 2 - nameBytes;
    ProfileChar* table = static_cast<ProfileChar*>(malloc(tableBytes ? tableBytes : 1));
    memcpy(table, data + 2 + nameBytes, tableBytes);
    const TrayFormAnswer answer = FindTrayForForm(table, tableBytes, name.data());
    free(table);
    if (answer != kTrayTableEmpty && answer != kTrayHoldsForm && answer != kNoTrayHoldsForm) {
        fprintf(stderr, "broken invariant: answer out of range\n");
        abort();
    }
    return 0;
}
