// The folder scan's speed on a generated tree of 100,000 files in 5,000 folders, next to
// `find DIR -type f` on the same tree. Run: build/benchmarks/scan_benchmark
#include "GeneratedTree.h"
#include "scan/FolderScan.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

using namespace orvandel;

constexpr int kFolders = 5000;
constexpr int kFilesPerFolder = 20;

bench::GeneratedTree* g_tree = nullptr;

class CountingHost : public ScanHost
{
public:
    bool yield() override { return true; }
    void appendItem(const std::string& text) override
    {
        ++items;
        benchmark::DoNotOptimize(text.data());
    }
    void stepFailed(const ScanFailure& failure) override { throw std::runtime_error(failure.description); }

    std::size_t items = 0;
};

void BM_AddFolderTreeFiles(benchmark::State& state, const char* pattern, std::size_t expected)
{
    for (auto _ : state) {
        CountingHost host;
        AddFolderTreeFiles(g_tree->path(), pattern, host);
        if (host.items != expected)
            state.SkipWithError("the scan found a different number of files");
    }
    state.counters["files/s"]
        = benchmark::Counter(static_cast<double>(state.iterations() * expected), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_AddFolderTreeFiles, all, "*.*", kFolders* kFilesPerFolder)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_AddFolderTreeFiles, vcf, "*.vcf", kFolders* kFilesPerFolder * 3 / 4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_GetSubDirectories2016(benchmark::State& state)
{
    for (auto _ : state) {
        CountingHost host;
        std::vector<std::string> folders {g_tree->path() + "/"};
        GetSubDirectories2016(folders, true, host);
        if (folders.size() != kFolders + 1)
            state.SkipWithError("the scan found a different number of folders");
    }
}
BENCHMARK(BM_GetSubDirectories2016)->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick: find over the same tree, its output thrown away. Includes starting find.
void BM_FindTypeF(benchmark::State& state)
{
    const std::string command = "find '" + g_tree->path() + "' -type f > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("find failed");
    }
}
BENCHMARK(BM_FindTypeF)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
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
