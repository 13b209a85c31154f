// KVMODEL: the model author's companion to the driver's description parser.
//
//   KVMODEL check [--strict] [--verbose] FILE...
//                           list, compiler style, what the driver skips or
//                           refuses and what it reads other than meant
//   KVMODEL dump FILE       the parsed model as JSON on standard output
//
// Both read the description itself, never the binary cache beside it, so
// they always show what the current text means to the driver.
#include "model_check.h"
#include "model_dump.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

enum ExitCode {
    kExitPassed = 0,
    kExitFailed = 1,   // check: errors (or warnings, when strict); dump: nothing loaded
    kExitUsage = 2,    // bad command line, or a file that cannot be read
};

const char kUsage[] =
    "usage: KVMODEL check [--strict] [--verbose] FILE...\n"
    "                     report what the driver skips, refuses or reads other than meant;\n"
    "                     fails on errors, with --strict on warnings too; --verbose also\n"
    "                     shows notes (standard keywords the driver has no use for)\n"
    "       KVMODEL dump FILE\n"
    "                     print the parsed model as JSON\n";

struct CheckOptions {
    bool strict = false;
    bool verbose = false;
};

std::string Utf8(const WCHAR* text)
{
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return std::string();
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], length, nullptr, nullptr);
    out.resize(static_cast<size_t>(length - 1));
    return out;
}

void PrintLine(FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
}

// The whole file, or false with a reason. Descriptions are small; the
// loader refuses anything over 2 GB and so does this.
bool ReadWholeFile(const WCHAR* path, std::vector<uint8_t>* content, DWORD* error)
{
    bool ok = false;
    LARGE_INTEGER size;
    DWORD read = 0;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        goto done;
    if (!GetFileSizeEx(file, &size))
        goto done;
    if (size.QuadPart > 0x7FFFFFFF) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        goto done;
    }
    content->resize(static_cast<size_t>(size.QuadPart));
    if (!content->empty() &&
        (!ReadFile(file, content->data(), static_cast<DWORD>(content->size()), &read, nullptr) ||
         read != content->size()))
        goto done;
    ok = true;
done:
    *error = ok ? 0 : GetLastError();
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return ok;
}

// Reads and parses one description. False (with a message on standard
// error) when the file cannot be read at all.
bool ParseFile(const WCHAR* path, ModelCheckResult* result)
{
    std::vector<uint8_t> text;
    DWORD error = 0;
    if (!ReadWholeFile(path, &text, &error)) {
        WCHAR reason[256] = L"";
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       error, 0, reason, ARRAYSIZE(reason), nullptr);
        std::string why = Utf8(reason);
        while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' '))
            why.pop_back();
        PrintLine(stderr, Utf8(path) + ": error: cannot read the file (" +
                              (why.empty() ? "error " + std::to_string(error) : why) + ")");
        return false;
    }
    // The driver records the full path of its data file; so does the check.
    WCHAR full[MAX_PATH * 2];
    DWORD length = GetFullPathNameW(path, ARRAYSIZE(full), full, nullptr);
    const WCHAR* recorded = length && length < ARRAYSIZE(full) ? full : path;
    CheckModelText(text.data(), text.size(), reinterpret_cast<const char16_t*>(recorded),
                   result);
    return true;
}

int Check(const std::vector<const WCHAR*>& files, const CheckOptions& options)
{
    int status = kExitPassed;
    for (const WCHAR* file : files) {
        const std::string label = Utf8(file);
        ModelCheckResult result;
        if (!ParseFile(file, &result)) {
            status = kExitUsage;
            continue;
        }
        for (const ModelDiagnostic& diagnostic : result.diagnostics)
            if (options.verbose || diagnostic.level != DiagnosticLevel::kNote)
                PrintLine(stdout, FormatDiagnostic(label, diagnostic));
        PrintLine(stdout, FormatSummary(label, result));
        if (!result.Passes(options.strict) && status == kExitPassed)
            status = kExitFailed;
    }
    return status;
}

// "check" arguments: options first, then at least one file.
bool ReadCheckArguments(int count, WCHAR** arguments, CheckOptions* options,
                        std::vector<const WCHAR*>* files)
{
    int i = 0;
    for (; i < count && arguments[i][0] == L'-'; ++i) {
        if (std::wcscmp(arguments[i], L"--strict") == 0)
            options->strict = true;
        else if (std::wcscmp(arguments[i], L"--verbose") == 0)
            options->verbose = true;
        else
            return false;
    }
    files->assign(arguments + i, arguments + count);
    return !files->empty();
}

int Dump(const WCHAR* file)
{
    const std::string label = Utf8(file);
    ModelCheckResult result;
    if (!ParseFile(file, &result))
        return kExitUsage;
    // Standard output stays pure JSON; what check would say goes beside it.
    for (const ModelDiagnostic& diagnostic : result.diagnostics)
        if (diagnostic.level != DiagnosticLevel::kNote)
            PrintLine(stderr, FormatDiagnostic(label, diagnostic));
    if (!result.model) {
        PrintLine(stderr, FormatSummary(label, result));
        return kExitFailed;
    }
    const std::string json = DumpModelJson(result.model);
    std::fwrite(json.data(), 1, json.size(), stdout);
    return kExitPassed;
}

} // namespace

int wmain(int argc, WCHAR** argv)
{
    int status = kExitUsage;
    CheckOptions options;
    std::vector<const WCHAR*> files;
    if (argc >= 2 && std::wcscmp(argv[1], L"check") == 0 &&
        ReadCheckArguments(argc - 2, argv + 2, &options, &files))
        status = Check(files, options);
    else if (argc == 3 && std::wcscmp(argv[1], L"dump") == 0)
        status = Dump(argv[2]);
    else
        std::fputs(kUsage, stderr);
    std::fflush(stdout);
    return status;
}
