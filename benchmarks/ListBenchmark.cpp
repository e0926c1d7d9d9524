// The window's list taking a whole folder tree: "Add All VCF File(s) In Folder" with "*" on a
// generated tree of 100,000 files in 5,000 folders, in the real window (offscreen). Reports
// the command's time and the longest stretch in which the window handled no events.
// Run: build/benchmarks/list_benchmark
#include "GeneratedTree.h"
#include "QuietPrompts.h"
#include "settings/SettingsStore.h"
#include "window/Form1.h"
#include "window/list/FileListModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

using namespace orvandel;

constexpr int kFolders = 5000;
constexpr int kFilesPerFolder = 20;

bench::GeneratedTree* g_tree = nullptr;

// Answers the folder command: every file ("*"), in the generated tree.
class TreePrompts : public bench::QuietPrompts
{
public:
    QString inputText(QWidget*, const QString&, const QString&, const QString&) override
    {
        return QStringLiteral("*");
    }
    QString browseForFolder(QWidget*, const QString&, const QString&) override
    {
        return QString::fromStdString(g_tree->path());
    }
};

void BM_FolderCommandInTheWindow(benchmark::State& state)
{
    QTemporaryDir settingsFolder;
    SettingsStore settings(settingsFolder.path() + QStringLiteral("/Quorvane.ini"));
    TreePrompts prompts;
    double longestFreezeMs = 0;
    for (auto _ : state) {
        Form1 window({prompts, settings, QString()});
        window.show();
        // A timer that fires whenever the window handles its events: the gaps between its
        // firings are the times the window was frozen.
        QElapsedTimer sinceEvents;
        sinceEvents.start();
        QTimer beat;
        QObject::connect(&beat, &QTimer::timeout, [&] {
            longestFreezeMs
                = std::max(longestFreezeMs, static_cast<double>(sinceEvents.nsecsElapsed()) / 1e6);
            sinceEvents.restart();
        });
        beat.start(0);
        window.PushButton7_Click();
        // The view learns of the last items and draws them once the command has returned.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        beat.stop();
        longestFreezeMs = std::max(longestFreezeMs, static_cast<double>(sinceEvents.nsecsElapsed()) / 1e6);
        if (window.fileList().count() != kFolders * kFilesPerFolder)
            state.SkipWithError("the list holds a different number of files");
    }
    state.counters["longest_freeze_ms"] = longestFreezeMs;
    state.counters["items"] = kFolders * kFilesPerFolder;
}
BENCHMARK(BM_FolderCommandInTheWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    bench::GeneratedTree tree(kFolders, kFilesPerFolder);
    g_tree = &tree;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_tree = nullptr;
    return 0;
}
