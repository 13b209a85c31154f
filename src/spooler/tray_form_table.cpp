#include "spooler/tray_form_table.h"

namespace {

// The text at cursor, or null when it has no terminator before end.
const ProfileChar* NextText(const ProfileChar*& cursor, const ProfileChar* end)
{
    const ProfileChar* start = cursor;
    while (cursor < end && *cursor)
        ++cursor;
    if (cursor >= end)
        return nullptr;
    ++cursor;
    return start;
}

bool SameText(const ProfileChar* a, const ProfileChar* b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

} // namespace

TrayFormAnswer FindTrayForForm(const ProfileChar* table, size_t byteSize, const ProfileChar* formName)
{
    if (!table || !formName)
        return kTrayTableEmpty;
    const ProfileChar* cursor = table;
    const ProfileChar* end = table + byteSize / sizeof(ProfileChar);
    if (cursor < end && static_cast<size_t>(static_cast<uint16_t>(*cursor)) == byteSize)
        ++cursor;
    TrayFormAnswer answer = kTrayTableEmpty;
    for (;;) {
        const ProfileChar* tray = NextText(cursor, end);
        if (!tray || !tray[0])
            return answer;
        const ProfileChar* form = NextText(cursor, end);
        if (!form || !NextText(cursor, end) || cursor >= end)
            return answer;
        ++cursor;   // the entry's closing unit
        if (SameText(form, formName))
            return kTrayHoldsForm;
        answer = kNoTrayHoldsForm;
    }
}
