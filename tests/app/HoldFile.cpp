// A helper of the Windows tests: holds the file it is given open without sharing it, as another
// program may, says "held" on stdout, and lets go when its stdin ends.
#include <cstdio>
#include <windows.h>

int main()
{
    int count = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!args || count != 2)
        return 2;
    const HANDLE file
        = ::CreateFileW(args[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    std::printf("held\n");
    std::fflush(stdout);
    char byte = 0;
    DWORD read = 0;
    while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &read, nullptr) && read > 0) { }
    ::CloseHandle(file);
    return 0;
}
