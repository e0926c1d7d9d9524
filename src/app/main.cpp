#include "app/Application.h"

#if defined(_WIN32)
#include "util/WideText.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>
#include <windows.h>
#endif

#if defined(_WIN32)

// Windows hands main() its arguments in the ANSI code page, where a name such as "Renée.vcf"
// may not survive; the program takes them in UTF-16 and works in UTF-8. What it writes to a
// console is UTF-8 too; to a file or a pipe its bytes go unchanged.
int main(int, char*[])
{
    // Held while the program runs, so that its installer and uninstaller can tell, and ask the
    // user to close it before they replace or remove its files. The system lets go at the end.
    ::CreateMutexW(nullptr, FALSE, L"Global\\Quorvane.Orvandel.Running");

    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back(orvandel::WideToUtf8(wide[i]));
    if (wide)
        ::LocalFree(wide);
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

#if defined(ORVANDEL_WINDOWS_SUBSYSTEM)
    // A program of the window subsystem has no console of its own: the command line writes to
    // the one it was started from, unless its output goes to a file or a pipe already.
    if (!::GetStdHandle(STD_OUTPUT_HANDLE) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
#endif
    // The report's lines end in "\n" as everywhere, not in the C library's "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const UINT consolePage = ::GetConsoleOutputCP();
    ::SetConsoleOutputCP(CP_UTF8);
    const int status = orvandel::RunApplication(static_cast<int>(texts.size()), argv.data());
    if (consolePage != 0)
        ::SetConsoleOutputCP(consolePage);
    return status;
}

#else

int main(int argc, char* argv[])
{
    return orvandel::RunApplication(argc, argv);
}

#endif
