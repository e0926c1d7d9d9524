#include "Application.h"

#include "CommandLine.h"
#include "Form1.h"
#include "QtPrompts.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QFontDatabase>
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
        QApplication::setApplicationName(QStringLiteral("orvandel"));
        QApplication::setDesktopFileName(QStringLiteral("orvandel"));
        // The window is drawn in Arial; where it is missing, its metric twin takes its place.
        if (!QFontDatabase::families().contains(QStringLiteral("Arial")))
            QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));

        SettingsStore settings;
        QtPrompts prompts;
        Form1 window({prompts, settings, QCoreApplication::applicationDirPath()});
        window.Form_Load();
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
