#include "Application.h"

#include "CommandLine.h"
#include "Form1.h"
#include "QtPrompts.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
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

        // Files and folders named on the command line (as "Open with" passes them) are listed
        // as if they had been dropped on the list.
        QStringList paths;
        for (const QString& argument : QCoreApplication::arguments().mid(1)) {
            if (argument.startsWith(QLatin1String("--"))) {
                std::cerr << "orvandel: unknown option '" << argument.toStdString()
                          << "'\nTry 'orvandel --help' for more information.\n";
                return 2;
            }
            paths << QFileInfo(argument).absoluteFilePath();
        }

        SettingsStore settings;
        QtPrompts prompts;
        Form1 window({prompts, settings, QCoreApplication::applicationDirPath()});
        window.Form_Load();
        window.show();
        if (!paths.isEmpty())
            QTimer::singleShot(0, &window, [&window, paths] { window.ListView1_OLEDragDrop(paths); });
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
