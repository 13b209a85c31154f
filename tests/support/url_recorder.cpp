// Stands in for the web browser in tests: registered as the handler of
// web addresses, it appends the address it is asked to open (its last
// argument) to the file named by its first argument, one UTF-8 line each.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    char line[4096];
    const int length = WideCharToMultiByte(CP_UTF8, 0, argv[argc - 1], -1, line, sizeof(line) - 1,
                                           nullptr, nullptr);
    FILE* file = _wfopen(argv[1], L"ab");
    if (!file || length <= 0)
        return 1;
    fprintf(file, "%s\n", line);
    fclose(file);
    return 0;
}
