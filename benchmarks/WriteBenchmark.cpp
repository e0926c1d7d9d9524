// How images reach the disk: what the tables of names written cost for a million photos, and
// what the one flush before "Done." costs on small files.
//
//   write_benchmark                               all of it (Google Benchmark flags apply)
//   TMPDIR=/dev/shm write_benchmark ...           the flush on tmpfs instead of the disk
#include "extract/OutputNames.h"
#include "extract/thorough/Sha256.h"
#include "extract/thorough/WrittenDigests.h"
#include "support/ExportGenerator.h"
#include "support/QuietRunHost.h"
#include "support/TestRuns.h"
#include "util/OutputFolder.h"
#include "util/ReplacingFile.h"
#include "util/WrittenFiles.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace orvandel;

// A folder where every name is free and nothing is kept: what a run into an empty folder asks
// of the disk, without the disk, so that only the run's own tables grow.
class EmptyDisk final : public OutputFolder, public std::enable_shared_from_this<EmptyDisk>
{
public:
    EmptyDisk()
        : OutputFolder("out/")
    {
    }

    std::unique_ptr<Temporary> createTemporary(std::string_view, std::error_code& error) override
    {
        error.clear();
        return std::make_unique<Placeholder>(++m_lastNumber);
    }
    FolderEntry lookup(std::string_view) override { return {}; }
    std::error_code forEachName(const std::function<void(std::string_view)>&) override { return {}; }
    std::error_code flush() override { return {}; }
    std::optional<FileIdentity> identity() const override { return FileIdentity {1, 1}; }

private:
    class Placeholder final : public Temporary
    {
    public:
        explicit Placeholder(std::uint64_t number)
            : m_number(number)
        {
        }
        std::error_code write(std::string_view) override { return {}; }
        std::error_code finish() override { return {}; }
        std::error_code placeNew(std::string_view) override { return {}; }
        std::error_code replace(std::string_view) override { return {}; }
        void discard() noexcept override { }
        std::optional<FileIdentity> identity() const override { return FileIdentity {1, m_number}; }
        const std::string& temporaryName() const noexcept override { return m_name; }

    private:
        std::uint64_t m_number;
        std::string m_name;
    };

    std::uint64_t m_lastNumber = 1;
};

// What the process holds in memory now.
double ResidentMegabytes()
{
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

// Names a million photos as the thorough run does. range(1): 0 every name once, 1 each name
// four times, 2 every name once with --unique.
void BM_NamesWritten(benchmark::State& state)
{
    const auto photos = static_cast<std::size_t>(state.range(0));
    const int mode = static_cast<int>(state.range(1));
    for (auto _ : state) {
        const double residentBefore = ResidentMegabytes();
        auto folder = std::make_shared<EmptyDisk>();
        OutputNames names {kThoroughNameRules};
        WrittenFiles written;
        WrittenDigests digests;
        for (std::size_t i = 0; i < photos; ++i) {
            ReplacingFile file(folder, folder->path());
            file.create();
            file.close();
            const std::string stem = "Person " + std::to_string(mode == 1 ? i / 4 : i);
            const std::string path = names.place(file, written, folder->path(), stem, ".jpg");
            if (mode == 2)
                digests.add(Sha256::of(stem), path);
        }
        const double tables
            = static_cast<double>(names.memoryBytes() + written.memoryBytes() + digests.memoryBytes());
        state.counters["names_MB"] = static_cast<double>(names.memoryBytes()) / 1e6;
        state.counters["written_MB"] = static_cast<double>(written.memoryBytes()) / 1e6;
        state.counters["digests_MB"] = static_cast<double>(digests.memoryBytes()) / 1e6;
        state.counters["tables_MB"] = tables / 1e6;
        state.counters["bytes/photo"] = tables / static_cast<double>(photos);
        state.counters["resident_growth_MB"] = ResidentMegabytes() - residentBefore;
    }
}
BENCHMARK(BM_NamesWritten)
    ->ArgNames({"photos", "mode"})
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 2})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// An export of small photos, made once, with a folder of its own that goes at the end.
struct SmallPhotos
{
    static constexpr std::size_t kCards = 2000;
    static constexpr std::uint64_t kPhotoBytes = 2048;

    SmallPhotos()
        : folder(fs::temp_directory_path() / ("orvandel-write-bench-" + std::to_string(::getpid())))
    {
        fs::create_directories(folder);
        path = (folder / "export.vcf").string();
        test::WriteGeneratedExport(path, kCards, kPhotoBytes);
    }
    ~SmallPhotos()
    {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    // An empty output folder, with the disk quiet: what removing the last one dirtied is written
    // before the timing starts.
    std::string freshOutput(const char* name) const
    {
        const fs::path out = folder / name;
        fs::remove_all(out);
        fs::create_directories(out);
        ::sync();
        return out.string();
    }

    fs::path folder;
    std::string path;
};

const SmallPhotos& TheSmallPhotos()
{
    static const SmallPhotos instance;
    return instance;
}

// A thorough run writing 2,000 photos of 2 KB: range(0) 0 without the flush before "Done.",
// 1 with it.
void BM_ThoroughRunFlush(benchmark::State& state)
{
    const SmallPhotos& data = TheSmallPhotos();
    const OutputFolderSeams saved = FolderSeams();
    if (state.range(0) == 0)
        FolderSeams().flush = [](const std::string&) { return std::error_code(); };
    for (auto _ : state) {
        state.PauseTiming();
        const std::string out = data.freshOutput("thorough");
        test::ThoroughTestRun run;
        test::QuietRunHost host({data.path}, out);
        state.ResumeTiming();
        run.start(host);
        if (host.written.size() != SmallPhotos::kCards || !host.reports.empty())
            state.SkipWithError("the run did not write every photo");
    }
    FolderSeams() = saved;
    state.counters["files"] = static_cast<double>(SmallPhotos::kCards);
}
BENCHMARK(BM_ThoroughRunFlush)
    ->ArgName("flush")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// What the run does not do: one fdatasync for every file before its rename (range(0) 1), next
// to the same plain loop without it (0).
void BM_DataSyncEachFile(benchmark::State& state)
{
    const SmallPhotos& data = TheSmallPhotos();
    const std::string bytes = test::GeneratedPhoto(SmallPhotos::kPhotoBytes, 1);
    for (auto _ : state) {
        state.PauseTiming();
        const std::string out = data.freshOutput("each");
        state.ResumeTiming();
        for (std::size_t i = 0; i < SmallPhotos::kCards; ++i) {
            const std::string temporary = out + "/.photo.part";
            const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
            if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())
                || (state.range(0) == 1 && ::fdatasync(fd) != 0) || ::close(fd) != 0
                || ::rename(temporary.c_str(), (out + "/photo-" + std::to_string(i) + ".jpg").c_str()) != 0) {
                state.SkipWithError("cannot write");
                break;
            }
        }
    }
    state.counters["files"] = static_cast<double>(SmallPhotos::kCards);
}
BENCHMARK(BM_DataSyncEachFile)
    ->ArgName("fdatasync")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

BENCHMARK_MAIN();
