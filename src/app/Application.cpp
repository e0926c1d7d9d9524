#include "Application.h"

#include "CommandLine.h"
#include "DisplayCheck.h"
#include "Form1.h"
#include "QtPrompts.h"
#include "StopSignals.h"
#include "TerminalText.h"
#include "WindowArguments.h"
#include "filelist/PathText.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QFontDatabase>
#include <QTimer>
#include <cstdlib>
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

    int UsageError(const QString& error)
    {
        std::cerr << "orvandel: " << TerminalText(error.toStdString())
                  << "\nTry 'orvandel --help' for more information.\n";
        return 2;
    }

    int RunWindow(int argc, char* argv[])
    {
        // A long option the window does not know is told before a display is looked for; the
        // short ones may be Qt's own (-platform, -style), which Qt takes out below.
        for (int i = 1; i < argc; ++i) {
            const QString argument = QString::fromLocal8Bit(argv[i]);
            if (argument == QLatin1String("--"))
                break;
            if (argument.startsWith(QLatin1String("--")) && argument != QLatin1String("--thorough"))
                return UsageError(QStringLiteral("unknown option '%1'").arg(argument));
        }
        // Without a display the window system would end the program with an abort; it is
        // asked only when the platform it would take can start.
        const std::vector<std::string> args(argv + 1, argv + argc);
        if (const auto missing = MissingDisplay(args, [](const char* name) { return std::getenv(name); })) {
            std::cerr << TerminalText(*missing) << '\n';
            return 2;
        }

        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("orvandel"));
        QApplication::setDesktopFileName(QStringLiteral("orvandel"));
        // The window is drawn in Arial; where it is missing, its metric twin takes its place.
        if (!QFontDatabase::families().contains(QStringLiteral("Arial")))
            QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));

        // Files and folders named on the command line (as "Open with" passes them) are listed
        // as if they had been dropped on the list.
        // Qt has taken its own options out of argv; the rest are read as bytes, so that a name
        // that is not UTF-8 keeps them.
        QStringList rest;
        for (int i = 1; i < argc; ++i)
            rest << PathFromBytes(argv[i]);
        const WindowArguments arguments = ParseWindowArguments(rest);
        if (!arguments.error.isEmpty())
            return UsageError(arguments.error);

        SettingsStore settings;
        QtPrompts prompts;
        Form1 window({prompts, settings, QCoreApplication::applicationDirPath(), arguments.thorough});
        window.Form_Load();
        window.show();
        if (!arguments.paths.isEmpty()) {
            QTimer::singleShot(0, &window,
                               [&window, paths = arguments.paths] { window.ListView1_OLEDragDrop(paths); });
        }
        return application.exec();
    }

} // namespace

int RunApplication(int argc, char* argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (IsCommandLineInvocation(args)) {
        CatchStopSignals();
        return RunCommandLine(args, std::cout, std::cerr, StderrIsTerminal());
    }
    return RunWindow(argc, argv);
}

} // namespace orvandel
