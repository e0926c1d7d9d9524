// The Base64 decoders on a clean photo of 100 KB, with each kernel this machine can run: one
// long line, and lines of 76 characters ended by CR LF. GB/s count the characters of the text.
//
//   base64_benchmark                     every decoder with every kernel
//   base64_benchmark --benchmark_filter=avx2   (Google Benchmark flags apply)

#include "extract/Base64.h"
#include "extract/base64/Base64Kernel.h"
#include "extract/thorough/Base64Stream.h"
#include "support/Base64Encode.h"

#include <benchmark/benchmark.h>
#include <random>
#include <string>

namespace {

using namespace orvandel;

constexpr std::size_t kPhotoBytes = 100 * 1024;

enum class Shape
{
    OneLine,
    Lines76,
};

std::string PhotoText(Shape shape)
{
    std::mt19937 generator(11);
    std::string bytes(kPhotoBytes, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator());
    const std::string line = test::ToBase64(bytes);
    if (shape == Shape::OneLine)
        return line;
    std::string text;
    for (std::size_t at = 0; at < line.size(); at += 76)
        text += line.substr(at, 76) + "\r\n";
    return text;
}

void Count(benchmark::State& state, const std::string& text)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_Base64Decode(benchmark::State& state, const Base64Kernel* kernel, Shape shape)
{
    UseBase64Kernel(*kernel);
    const std::string text = PhotoText(shape);
    for (auto _ : state)
        benchmark::DoNotOptimize(Base64Decode(text));
    Count(state, text);
}

void BM_Base64DecodeInPlace(benchmark::State& state, const Base64Kernel* kernel, Shape shape)
{
    UseBase64Kernel(*kernel);
    const std::string text = PhotoText(shape);
    std::string work;
    work.reserve(text.size());
    for (auto _ : state) {
        state.PauseTiming();
        work.assign(text);
        state.ResumeTiming();
        Base64DecodeInPlace(work);
        benchmark::DoNotOptimize(work.data());
    }
    Count(state, text);
}

// The thorough decoder as the card reader drives it: line by line, each break passed over.
void BM_Base64StreamDecodeLine(benchmark::State& state, const Base64Kernel* kernel, Shape shape)
{
    UseBase64Kernel(*kernel);
    const std::string text = PhotoText(shape);
    Base64Stream stream;
    const char* const end = text.data() + text.size();
    for (auto _ : state) {
        stream.start(nullptr);
        for (const char* p = text.data(); p < end;) {
            p = stream.decodeLine(p, end);
            while (p < end && (*p == '\r' || *p == '\n'))
                ++p;
        }
        if (!stream.finish() || stream.bytesDecoded() != kPhotoBytes)
            state.SkipWithError("the photo did not decode");
    }
    Count(state, text);
}

} // namespace

int main(int argc, char** argv)
{
    for (const Base64Kernel* kernel : AvailableBase64Kernels()) {
        for (const auto& [shape, shapeName] :
             {std::pair {Shape::OneLine, "one-line"}, std::pair {Shape::Lines76, "lines-76"}}) {
            const std::string suffix = "/" + std::string(kernel->name) + "/" + shapeName;
            benchmark::RegisterBenchmark(("BM_Base64Decode" + suffix).c_str(), BM_Base64Decode, kernel,
                                         shape);
            benchmark::RegisterBenchmark(("BM_Base64DecodeInPlace" + suffix).c_str(), BM_Base64DecodeInPlace,
                                         kernel, shape);
            benchmark::RegisterBenchmark(("BM_Base64StreamDecodeLine" + suffix).c_str(),
                                         BM_Base64StreamDecodeLine, kernel, shape);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
