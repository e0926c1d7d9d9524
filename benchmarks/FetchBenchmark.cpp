// Photos fetched side by side: `orvandel extract --fetch` on one export of 1,000 cards whose photos
// are web addresses on a loopback server (tests/support/fetch_server.py, started here) that
// answers each after 50 ms, under two names (127.0.0.1 and localhost: two hosts, four transfers
// each). Eight at once take 1,000 x 50 ms / 8 = 6.25 s at best; one at a time would take 50 s.
// The target is 1.5 times the best: 9.4 s.
//
//   fetch_benchmark [--benchmark_repetitions=N]

#include "cli/CommandLine.h"
#include "support/FetchServer.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace {

using namespace orvandel;

constexpr int kLinks = 1000;
constexpr int kDelayMs = 50;

// The server for the whole run, in a folder of its own.
class Server
{
public:
    Server()
    {
        m_state = m_dir.mkdir("server");
        if (std::system(("python3 " ORVANDEL_FETCH_SERVER_SCRIPT " start " + m_state).c_str()) != 0)
            throw std::runtime_error("the test server did not start");
        ::setenv("ORVANDEL_FETCH_SERVER", m_state.c_str(), 1);
    }
    ~Server() { (void)std::system(("python3 " ORVANDEL_FETCH_SERVER_SCRIPT " stop " + m_state).c_str()); }

private:
    test::TempDir m_dir;
    std::string m_state;
};

void FetchSideBySide(benchmark::State& state)
{
    static Server server;
    const test::FetchServer where;
    test::TempDir dir;
    std::string cards;
    for (int k = 0; k < kLinks; ++k) {
        const std::string path = "/image?delay=" + std::to_string(kDelayMs) + "&payload=" + std::to_string(k);
        const std::string address
            = k % 2 == 0 ? where.http(path) : "http://localhost:" + where.port("http") + path;
        cards += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " + std::to_string(k) + "\r\nPHOTO:" + address
            + "\r\nEND:VCARD\r\n";
    }
    const std::string input = dir.write("links.vcf", cards);
    for (auto _ : state) {
        state.PauseTiming();
        const std::string out = dir.mkdir("out" + std::to_string(state.iterations()));
        state.ResumeTiming();
        std::ostringstream lines;
        std::ostringstream errors;
        CommandRequest request = test::CommandOf({"extract", "--fetch", "--fetch-local", "-o", out, input});
        std::get<ExtractRequest>(request).thorough.fetchResolve = where.resolveLocalhost();
        const int status = RunCommandLine(request, lines, errors, false);
        if (status != 0)
            state.SkipWithError(("orvandel extract --fetch ended with " + std::to_string(status) + ": "
                                 + errors.str().substr(0, 200))
                                    .c_str());
        state.PauseTiming();
        std::size_t written = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(out))
            ++written;
        if (written != static_cast<std::size_t>(kLinks))
            state.SkipWithError("not every photo was written");
        state.ResumeTiming();
    }
    state.counters["photos"] = kLinks;
    state.counters["best_s"] = kLinks * kDelayMs / 8 / 1000.0;
    state.counters["target_s"] = 1.5 * kLinks * kDelayMs / 8 / 1000.0;
}
BENCHMARK(FetchSideBySide)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
