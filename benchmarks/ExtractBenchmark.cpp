// The classic engine's speed: finding the photo in a card, decoding it there, and whole runs
// over many card files (the decoders alone: base64_benchmark).
//
//   extract_benchmark                                   the timings (Google Benchmark flags apply)
//   extract_benchmark --generate-card FILE [MEGABYTES]  one card whose photo is one Base64 line of
//                                                       about MEGABYTES (200 unless told), for
//                                                       /usr/bin/time -v build/orvandel extract
#include "extract/Base64.h"
#include "extract/ClassicPhotoFinder.h"
#include "support/Base64Encode.h"
#include "support/QuietRunHost.h"
#include "support/TestRuns.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>

namespace {

namespace fs = std::filesystem;
using namespace orvandel;

std::string RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator());
    return bytes;
}

// A vCard 3.0 card with a photo of `photoSize` bytes, folded at 75 characters.
std::string MakeCard(std::size_t photoSize, unsigned seed)
{
    std::string line = "PHOTO;ENCODING=B;TYPE=JPEG:" + test::ToBase64(RandomBytes(photoSize, seed));
    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person;Some;;;\r\nFN:Some Person\r\n"
                       "TEL;TYPE=CELL:+1 555 0100\r\nEMAIL:some@example.org\r\n";
    card += line.substr(0, 75) + "\r\n";
    for (std::size_t at = 75; at < line.size(); at += 74)
        card += " " + line.substr(at, 74) + "\r\n";
    return card + "END:VCARD\r\n";
}

// Finding the photo in a card's bytes as read, as the run does.
void BM_FindClassicPhoto(benchmark::State& state)
{
    const std::string card = MakeCard(static_cast<std::size_t>(state.range(0)), 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(LocateClassicPhoto(card));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(card.size()));
}
BENCHMARK(BM_FindClassicPhoto)->Arg(20 * 1024);

// A card of "PHOTO:", a run of `blanks` spaces and 75,000 more "PHOTO:" lines: every one of
// them has the blank data of the first, and none is a photo.
void BM_FindClassicPhotoRepeatedHeaders(benchmark::State& state)
{
    std::string card = "PHOTO:\r\n" + std::string(static_cast<std::size_t>(state.range(0)), ' ') + "\r\n";
    for (int i = 0; i < 75000; ++i)
        card += "PHOTO:\r\n";
    for (auto _ : state) {
        if (LocateClassicPhoto(card))
            state.SkipWithError("found a photo where there is none");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(card.size()));
}
BENCHMARK(BM_FindClassicPhotoRepeatedHeaders)
    ->Arg(1024 * 1024)
    ->Arg(2 * 1024 * 1024)
    ->Unit(benchmark::kMillisecond);

// Finding the photo in a card's bytes and decoding it within them, as the run does (the copy of
// the card that the decoding takes over is timed too).
void BM_DecodeClassicPhoto(benchmark::State& state)
{
    const std::string card = MakeCard(static_cast<std::size_t>(state.range(0)), 3);
    for (auto _ : state) {
        std::string bytes = card;
        const auto place = LocateClassicPhoto(bytes);
        benchmark::DoNotOptimize(DecodeClassicPhoto(std::move(bytes), *place));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(card.size()));
}
BENCHMARK(BM_DecodeClassicPhoto)->Arg(20 * 1024)->Arg(1024 * 1024);

// A whole run over `files` card files with a 20 KB photo each, into a fresh folder.
void BM_ExtractionRun(benchmark::State& state)
{
    const fs::path root
        = fs::temp_directory_path() / ("orvandel-bench-" + std::to_string(std::random_device {}()));
    fs::create_directories(root / "cards");
    fs::create_directories(root / "out");
    const auto files = static_cast<std::size_t>(state.range(0));
    std::size_t bytes = 0;
    std::vector<std::string> items;
    for (std::size_t i = 0; i < files; ++i) {
        const auto path = root / "cards" / ("card" + std::to_string(i) + ".vcf");
        const std::string card = MakeCard(20 * 1024, static_cast<unsigned>(i));
        std::ofstream(path, std::ios::binary) << card;
        bytes += card.size();
        items.push_back(path.string());
    }
    test::QuietRunHost host(std::move(items), (root / "out").string() + "/");
    for (auto _ : state) {
        test::ClassicTestRun run;
        run.start(host);
    }
    if (!host.reports.empty())
        state.SkipWithError(host.reports.front().c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["files/s"]
        = benchmark::Counter(static_cast<double>(state.iterations() * files), benchmark::Counter::kIsRate);
    fs::remove_all(root);
}
BENCHMARK(BM_ExtractionRun)->Arg(1000)->Unit(benchmark::kMillisecond);

// Writes a card whose photo is one line of Base64 of about `megabytes` million characters, a
// piece at a time.
void WriteLargeCard(const char* path, std::size_t megabytes)
{
    std::ofstream out(path, std::ios::binary);
    out << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Large Photo\r\nPHOTO;ENCODING=B;TYPE=JPEG:";
    const std::size_t pieceBytes = 750000; // a million characters of Base64
    for (std::size_t i = 0; i < megabytes; ++i)
        out << test::ToBase64(RandomBytes(pieceBytes, static_cast<unsigned>(i)));
    out << "\r\nEND:VCARD\r\n";
    if (!out.flush())
        throw std::runtime_error(std::string("cannot write ") + path);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--generate-card") == 0) {
        const std::size_t megabytes = argc >= 4 ? std::stoul(argv[3]) : 200;
        WriteLargeCard(argv[2], megabytes);
        std::cout << argv[2] << ": " << fs::file_size(argv[2]) << " bytes\n";
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
