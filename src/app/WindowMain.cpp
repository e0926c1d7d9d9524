#include "WindowMain.h"

#include "OrvandelVersion.h"
#include "settings/SettingsStore.h"
#include "window/Form1.h"
#include "window/QtPrompts.h"
#include "window/list/PathText.h"

#include <QApplication>
#include <QFontDatabase>
#include <QTimer>
#include <string>
#include <vector>

namespace orvandel {

int RunWindow(const char* program, const WindowRequest& request)
{
    // Qt is given its own options and nothing else, so that no name after "--" can be taken for
    // one of them.
    std::vector<std::string> qtWords {program};
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

    // Files and folders named on the command line (as "Open with" passes them) are listed as if
    // they had been dropped on the list, each name's bytes kept.
    QStringList paths;
    for (const std::string& path : request.paths)
        paths << AbsolutePathFromBytes(path);

    SettingsStore settings;
    QtPrompts prompts;
    std::optional<FetchSettings> fetch;
    if (request.fetchLocal) {
        fetch = FetchSettings {};
        fetch->userAgent = OrvandelUserAgent();
        fetch->allowLocal = true;
    }
    Form1 window({prompts, settings, QCoreApplication::applicationDirPath(), request.thorough, fetch});
    window.Form_Load();
    window.show();
    if (!paths.isEmpty())
        QTimer::singleShot(0, &window, [&window, paths] { window.ListView1_OLEDragDrop(paths); });
    return application.exec();
}

} // namespace orvandel

extern "C" int OrvandelRunWindow(const char* program, const orvandel::WindowRequest* request)
{
    return orvandel::RunWindow(program, *request);
}
