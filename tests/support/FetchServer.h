#pragma once

#include "TempDir.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace orvandel::test {

// The tests' own web server on 127.0.0.1 and ::1 (tests/support/fetch_server.py), which CTest
// starts before the tests that fetch and stops after them; ORVANDEL_FETCH_SERVER names its state
// folder. No test talks to any other server.
class FetchServer
{
public:
    FetchServer()
    {
        const char* folder = std::getenv("ORVANDEL_FETCH_SERVER");
        if (!folder || !*folder)
            return;
        std::ifstream state(Native(std::string(folder) + "/state.txt"));
        for (std::string line; std::getline(state, line);) {
            const auto equals = line.find('=');
            if (equals != std::string::npos)
                m_state[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }

    // False when the tests run without the server (not through CTest).
    bool running() const { return m_state.count("http") != 0; }
    static const char* notRunning() { return "the test web server is not running: run the tests with ctest"; }

    // "http://127.0.0.1:PORT" + path, and the same for the other listeners.
    std::string http(const std::string& path) const { return "http://127.0.0.1:" + port("http") + path; }
    std::string https(const std::string& path) const { return "https://localhost:" + port("https") + path; }
    std::string untrusted(const std::string& path) const
    {
        return "https://localhost:" + port("untrusted") + path;
    }
    std::string http6(const std::string& path) const { return "http://[::1]:" + port("http6") + path; }
    bool hasIpv6() const { return port("http6") != "0"; }
    std::string port(const std::string& listener) const
    {
        const auto found = m_state.find(listener);
        return found == m_state.end() ? std::string("0") : found->second;
    }
    // The test authority's certificate, which the fetching tests trust instead of the system's.
    std::string caFile() const { return Native(m_state.count("ca") ? m_state.at("ca") : std::string()); }
    // "localhost" names 127.0.0.1 alone, as the resolver seam gives it.
    std::vector<std::string> resolveLocalhost() const
    {
        return {"localhost:" + port("https") + ":127.0.0.1", "localhost:" + port("untrusted") + ":127.0.0.1",
                "localhost:" + port("http") + ":127.0.0.1"};
    }

private:
    // The server's paths are the build machine's; Wine sees them under Z:.
    static std::string Native(std::string path)
    {
#ifdef _WIN32
        if (!path.empty() && path[0] == '/') {
            for (char& c : path)
                c = c == '/' ? '\\' : c;
            path = "Z:" + path;
        }
#endif
        return path;
    }

    std::map<std::string, std::string> m_state;
};

} // namespace orvandel::test
