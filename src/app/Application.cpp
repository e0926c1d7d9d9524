#include "Application.h"

#include "CommandLine.h"

#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace orvandel {

namespace {

    bool StderrIsTerminal()
    {
#if defined(__unix__) || defined(__APPLE__)
        return ::isatty(STDERR_FILENO) == 1;
#else
        return false;
#endif
    }

    int RunWindow(int argc, char* argv[])
    {
        QApplication application(argc, argv);
        QWidget window;
        window.setWindowTitle(QStringLiteral("Orvandel"));
        window.resize(536, 370);
        window.show();
        return application.exec();
    }

} // namespace

int RunApplication(int argc, char* argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (IsCommandLineInvocation(args))
        return RunCommandLine(args, std::cout, std::cerr, StderrIsTerminal());
    return RunWindow(argc, argv);
}

} // namespace orvandel
