#include "Application.h"

#include "CommandLine.h"
#include "DisplayCheck.h"
#include "Form1.h"
#include "QtPrompts.h"
#include "StopSignals.h"
#include "TerminalText.h"
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

    bool IsTerminal([[maybe_unused]] int fd)
    {
#if defined(__unix__) || defined(__APPLE__)
        return ::isatty(fd) == 1;
#else
        return false;
#endif
    }

    int RunWindow(char* programName, const WindowRequest& request)
    {
        // Without a display the window system would end the program with an abort; it is
        // asked only when the platform it would take can start.
        if (const auto missing
            = MissingDisplay(request, [](const char* name) { return std::getenv(name); })) {
            std::cerr << TerminalText(*missing) << '\n';
            return 2;
        }

        // Qt is given its own options and nothing else, so that no name after "--" can be taken
        // for one of them.
        std::vector<std::string> qtWords {programName};
        qtWords.insert(qtWords.end(), request.qtArguments.begin(), request.qtArguments.end());
        std::vector<char*> qtArgv;
        for (std::string& word : qtWords)
            qtArgv.push_back(word.data());
        qtArgv.push_back(nullptr);
        int qtArgc = static_cast<int>(qtWords.size());

        QApplication application(qtArgc, qtArgv.data());
        QApplication::setApplicationName(QStringLiteral("orvandel"));
        QApplication::setDesktopFileName(QStringLiteral("orvandel"));
        // The window is drawn in Arial; where it is missing, its metric twin takes its place.
        if (!QFontDatabase::families().contains(QStringLiteral("Arial")))
            QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));

        // Files and folders named on the command line (as "Open with" passes them) are listed as
        // if they had been dropped on the list, each name's bytes kept.
        QStringList paths;
        for (const std::string& path : request.paths)
            paths << AbsolutePathFromBytes(path);

        SettingsStore settings;
        QtPrompts prompts;
        Form1 window({prompts, settings, QCoreApplication::applicationDirPath(), request.thorough});
        window.Form_Load();
        window.show();
        if (!paths.isEmpty())
            QTimer::singleShot(0, &window, [&window, paths] { window.ListView1_OLEDragDrop(paths); });
        return application.exec();
    }

} // namespace

int RunApplication(int argc, char* argv[])
{
    const StartRequest request = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* window = std::get_if<WindowRequest>(&request))
        return RunWindow(argv[0], *window);
    CatchStopSignals();
    return RunCommandLine(std::get<CommandRequest>(request), std::cout, std::cerr, IsTerminal(2),
                          IsTerminal(1));
}

} // namespace orvandel
