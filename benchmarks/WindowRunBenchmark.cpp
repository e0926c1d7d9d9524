// The classic run in the real window against the command line on the same files: 20,000 small
// card files (a 1 KB photo each), the window's run timed from the click on the start button to
// "Done.", `orvandel extract` as a child process from its start to its end. Each iteration writes
// into an empty output folder. The window needs a display: run it under Xvfb,
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/benchmarks/window_run_benchmark
//
// (the offscreen platform draws nothing on a screen and is refused unless
// ORVANDEL_BENCH_OFFSCREEN=1). The inputs and outputs go to the temporary folder (TMPDIR;
// /dev/shm keeps the disk out of the figures) and are removed at the end.
#include "QuietPrompts.h"
#include "settings/SettingsStore.h"
#include "support/Base64Encode.h"
#include "window/CaptionProgressBar.h"
#include "window/Form1.h"
#include "window/list/FileListModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace orvandel;

constexpr int kCardFiles = 20000;
constexpr std::size_t kPhotoBytes = 1024;

fs::path g_cards;
std::vector<std::string> g_paths;

void MakeCards()
{
    g_cards = fs::temp_directory_path() / ("orvandel-window-run-" + std::to_string(::getpid()));
    fs::create_directories(g_cards);
    std::mt19937 random(17);
    for (int i = 0; i < kCardFiles; ++i) {
        std::string photo(kPhotoBytes, '\0');
        for (char& c : photo)
            c = static_cast<char>(random());
        const std::string name = "card" + std::to_string(i) + ".vcf";
        std::ofstream(g_cards / name, std::ios::binary)
            << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " << i
            << "\r\nPHOTO;ENCODING=B;TYPE=JPEG:" << test::ToBase64(photo) << "\r\nEND:VCARD\r\n";
        g_paths.push_back((g_cards / name).string());
    }
}

fs::path FreshOutput()
{
    const fs::path out = g_cards.parent_path() / (g_cards.filename().string() + "-out");
    fs::remove_all(out);
    fs::create_directories(out);
    return out;
}

std::size_t ImagesIn(const fs::path& folder)
{
    std::size_t images = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++images;
    return images;
}

// Answers "Done." and notes when it showed; everything else is a failure of the benchmark.
class DonePrompts : public bench::QuietPrompts
{
public:
    ResultsButton results(QWidget*, const QString&, const QString& text, const QString&) override
    {
        if (text != QStringLiteral("Done."))
            qFatal("%s", qPrintable(text));
        done = std::chrono::steady_clock::now();
        return ResultsButton::Ok;
    }

    std::chrono::steady_clock::time_point done;
};

void BM_ClassicRunInTheWindow(benchmark::State& state)
{
    QTemporaryDir settingsFolder;
    SettingsStore settings(settingsFolder.path() + QStringLiteral("/Quorvane.ini"));
    DonePrompts prompts;
    Form1 window({prompts, settings, QString()});
    window.Form_Load();
    window.show();
    for (const std::string& path : g_paths)
        window.fileList().append(QString::fromStdString(path));
    auto* start = window.findChild<QPushButton*>(QStringLiteral("PushButton2"));
    double longestFreezeMs = 0;
    std::size_t images = 0;
    for (auto _ : state) {
        const fs::path out = FreshOutput();
        window.findChild<QLineEdit*>(QStringLiteral("Text1"))
            ->setText(QString::fromStdString(out.string() + "/"));
        // Whatever the window still has to draw is drawn before the click.
        QCoreApplication::processEvents();
        // A timer that fires whenever the window handles its events while it is due: the
        // gaps between its firings are the times the window was frozen.
        QElapsedTimer sinceEvents;
        sinceEvents.start();
        QTimer beat;
        beat.setTimerType(Qt::PreciseTimer);
        QObject::connect(&beat, &QTimer::timeout, [&] {
            longestFreezeMs
                = std::max(longestFreezeMs, static_cast<double>(sinceEvents.nsecsElapsed()) / 1e6);
            sinceEvents.restart();
        });
        beat.start(1);
        const auto clicked = std::chrono::steady_clock::now();
        start->click();
        beat.stop();
        state.SetIterationTime(std::chrono::duration<double>(prompts.done - clicked).count());
        images = ImagesIn(out);
    }
    if (images != g_paths.size())
        state.SkipWithError("the window wrote a different number of images");
    state.counters["files"] = static_cast<double>(g_paths.size());
    state.counters["longest_freeze_ms"] = longestFreezeMs;
}
BENCHMARK(BM_ClassicRunInTheWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_ClassicRunOnTheCommandLine(benchmark::State& state)
{
    std::size_t images = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path out = FreshOutput();
        std::vector<std::string> words {ORVANDEL_PROGRAM, "extract", "-o", out.string()};
        words.insert(words.end(), g_paths.begin(), g_paths.end());
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        state.ResumeTiming();
        pid_t child = 0;
        int status = 0;
        if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0
            || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("orvandel extract failed");
        state.PauseTiming();
        posix_spawn_file_actions_destroy(&actions);
        images = ImagesIn(out);
        state.ResumeTiming();
    }
    if (images != g_paths.size())
        state.SkipWithError("the command line wrote a different number of images");
    state.counters["files"] = static_cast<double>(g_paths.size());
}
BENCHMARK(BM_ClassicRunOnTheCommandLine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool offscreen = platform && std::string(platform) == "offscreen";
    if ((offscreen && !std::getenv("ORVANDEL_BENCH_OFFSCREEN")) || (!platform && !std::getenv("DISPLAY"))) {
        std::fprintf(stderr, "window_run_benchmark: the window needs a display; run it under xvfb-run\n");
        return 2;
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    MakeCards();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(g_cards.parent_path() / (g_cards.filename().string() + "-out"), ignored);
    fs::remove_all(g_cards, ignored);
    return 0;
}
