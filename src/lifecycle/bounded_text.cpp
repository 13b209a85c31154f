#include "lifecycle/bounded_text.h"

#include <cstdarg>
#include <cwchar>

BOOL PrintBounded(WCHAR* buffer, size_t capacity, const WCHAR* format, ...)
{
    if (!buffer || capacity == 0)
        return FALSE;
    va_list args;
    va_start(args, format);
    // Runtimes differ on a cut text: some return -1, others the full length.
    const int written = vswprintf(buffer, capacity, format, args);
    va_end(args);
    if (written < 0 || static_cast<size_t>(written) >= capacity) {
        buffer[0] = L'\0';
        return FALSE;
    }
    return TRUE;
}
