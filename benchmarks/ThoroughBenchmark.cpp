// The thorough run against a plain program doing the least the job needs: read the export,
// decode each photo's Base64 with a table, write the bytes. Both work on the same generated
// export of 5,000 cards with a 20 KB photo each (about 140 MB).
//
//   orvandel_thorough_benchmark                        the timings (Google Benchmark flags apply)
//   orvandel_thorough_benchmark --generate FILE [CARDS [PHOTO_BYTES]]
//   orvandel_thorough_benchmark --baseline FILE DIR    the plain program once, for /usr/bin/time -v
//   orvandel_thorough_benchmark --tight-baseline FILE DIR   its tighter form once

#include "extract/RunObserver.h"
#include "support/ExportGenerator.h"
#include "support/QuietRunHost.h"
#include "support/TestRuns.h"

#include <array>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace orvandel;

constexpr std::size_t kCards = 5000;
constexpr std::uint64_t kPhotoBytes = 20 * 1024;

constexpr std::array<std::uint8_t, 256> MakeTable()
{
    std::array<std::uint8_t, 256> table {};
    for (auto& value : table)
        value = 255;
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i)
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
    return table;
}

constexpr auto kTable = MakeTable();

std::string ReadWhole(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        throw std::runtime_error("cannot open " + path);
    std::fseek(file, 0, SEEK_END);
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::fseek(file, 0, SEEK_SET);
    const std::size_t got = std::fread(text.data(), 1, text.size(), file);
    std::fclose(file);
    text.resize(got);
    return text;
}

void WriteWhole(const std::string& path, const std::string& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0)
        throw std::runtime_error("cannot write " + path);
}

// The plain program: it knows the export's one photo header and its folding, and nothing else.
std::size_t PlainExtract(const std::string& input, const std::string& folder)
{
    const std::string text = ReadWhole(input);
    const std::string_view marker = "\nPHOTO;ENCODING=b;TYPE=JPEG:";
    std::size_t count = 0;
    std::string bytes;
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
        at += marker.size();
        bytes.clear();
        std::uint32_t group = 0;
        int have = 0;
        for (; at < text.size(); ++at) {
            const char c = text[at];
            if (c == '\r' || c == '\n') {
                const std::size_t next
                    = at + (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1);
                if (next < text.size() && text[next] == ' ') {
                    at = next; // the loop steps over the blank
                    continue;
                }
                break;
            }
            const std::uint8_t value = kTable[static_cast<unsigned char>(c)];
            if (value > 63)
                continue;
            group = (group << 6) | value;
            if (++have == 4) {
                const char three[3] = {static_cast<char>(group >> 16), static_cast<char>(group >> 8),
                                       static_cast<char>(group)};
                bytes.append(three, 3);
                have = 0;
                group = 0;
            }
        }
        if (have == 2)
            bytes += static_cast<char>(group >> 4);
        else if (have == 3) {
            bytes += static_cast<char>(group >> 10);
            bytes += static_cast<char>(group >> 2);
        }
        WriteWhole(folder + "/photo-" + std::to_string(++count) + ".jpg", bytes);
    }
    return count;
}

// The same plain program written tighter: the photo's text is first stripped of its line breaks
// and blanks, then decoded four characters at a time into a buffer of the right size.
std::size_t TightExtract(const std::string& input, const std::string& folder)
{
    const std::string text = ReadWhole(input);
    const std::string_view marker = "\nPHOTO;ENCODING=b;TYPE=JPEG:";
    std::size_t count = 0;
    std::string clean;
    std::string bytes;
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
        at += marker.size();
        clean.clear();
        for (;;) {
            const std::size_t end = text.find('\r', at);
            clean.append(text, at, (end == std::string::npos ? text.size() : end) - at);
            if (end == std::string::npos || end + 2 >= text.size() || text[end + 2] != ' ') {
                at = end;
                break;
            }
            at = end + 3;
        }
        while (!clean.empty() && clean.back() == '=')
            clean.pop_back();
        bytes.resize(clean.size() / 4 * 3 + 2);
        const auto* in = reinterpret_cast<const unsigned char*>(clean.data());
        char* out = bytes.data();
        std::size_t i = 0;
        for (; i + 4 <= clean.size(); i += 4) {
            const std::uint32_t group = (std::uint32_t(kTable[in[i]]) << 18)
                | (std::uint32_t(kTable[in[i + 1]]) << 12) | (std::uint32_t(kTable[in[i + 2]]) << 6)
                | kTable[in[i + 3]];
            out[0] = static_cast<char>(group >> 16);
            out[1] = static_cast<char>(group >> 8);
            out[2] = static_cast<char>(group);
            out += 3;
        }
        const std::size_t rest = clean.size() - i;
        if (rest >= 2) {
            const std::uint32_t group = (std::uint32_t(kTable[in[i]]) << 18)
                | (std::uint32_t(kTable[in[i + 1]]) << 12)
                | (rest == 3 ? std::uint32_t(kTable[in[i + 2]]) << 6 : 0);
            *out++ = static_cast<char>(group >> 16);
            if (rest == 3)
                *out++ = static_cast<char>(group >> 8);
        }
        bytes.resize(static_cast<std::size_t>(out - bytes.data()));
        WriteWhole(folder + "/photo-" + std::to_string(++count) + ".jpg", bytes);
        if (at == std::string::npos)
            break;
    }
    return count;
}

// The export, made once for all benchmarks, in a folder of its own that goes at the end.
struct Export
{
    Export()
        : folder(fs::temp_directory_path() / ("orvandel-bench-" + std::to_string(::getpid())))
    {
        fs::create_directories(folder);
        path = (folder / "export.vcf").string();
        size = test::WriteGeneratedExport(path, kCards, kPhotoBytes);
    }
    ~Export()
    {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    // An empty output folder.
    std::string freshOutput(const char* name) const
    {
        const fs::path out = folder / name;
        fs::remove_all(out);
        fs::create_directories(out);
        return out.string();
    }

    fs::path folder;
    std::string path;
    std::uint64_t size = 0;
};

const Export& TheExport()
{
    static const Export instance;
    return instance;
}

void SetCounters(benchmark::State& state, std::size_t photos)
{
    state.counters["photos"] = static_cast<double>(photos);
    state.counters["input_MB/s"] = benchmark::Counter(static_cast<double>(TheExport().size) / 1e6,
                                                      benchmark::Counter::kIsIterationInvariantRate);
}

void BM_PlainBaseline(benchmark::State& state)
{
    const Export& data = TheExport();
    std::size_t photos = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string out = data.freshOutput("baseline");
        state.ResumeTiming();
        photos = PlainExtract(data.path, out);
    }
    SetCounters(state, photos);
}

void BM_TightBaseline(benchmark::State& state)
{
    const Export& data = TheExport();
    std::size_t photos = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string out = data.freshOutput("tight");
        state.ResumeTiming();
        photos = TightExtract(data.path, out);
    }
    SetCounters(state, photos);
}

void RunThorough(benchmark::State& state, bool unique)
{
    const Export& data = TheExport();
    std::size_t photos = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string out = data.freshOutput("thorough");
        ThoroughOptions options;
        options.unique = unique;
        test::ThoroughTestRun run(options);
        test::QuietRunHost host({data.path}, out);
        state.ResumeTiming();
        run.start(host);
        photos = host.written.size();
        if (!host.reports.empty())
            state.SkipWithError("the thorough run reported failures");
    }
    SetCounters(state, photos);
}

void BM_ThoroughRun(benchmark::State& state)
{
    RunThorough(state, false);
}

void BM_ThoroughRunUnique(benchmark::State& state)
{
    RunThorough(state, true);
}

BENCHMARK(BM_PlainBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TightBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ThoroughRun)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ThoroughRunUnique)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--generate") == 0) {
        const std::size_t cards = argc >= 4 ? std::stoul(argv[3]) : kCards;
        const std::uint64_t photo = argc >= 5 ? std::stoull(argv[4]) : kPhotoBytes;
        const std::uint64_t size = test::WriteGeneratedExport(argv[2], cards, photo);
        std::cout << argv[2] << ": " << cards << " cards, " << size << " bytes\n";
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--baseline") == 0) {
        std::cout << PlainExtract(argv[2], argv[3]) << " photos\n";
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--tight-baseline") == 0) {
        std::cout << TightExtract(argv[2], argv[3]) << " photos\n";
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::cout << "Export: " << TheExport().size << " bytes, " << kCards << " cards, " << kPhotoBytes
              << "-byte photos\n";
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
