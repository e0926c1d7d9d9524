#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace orvandel::test {

// Reads JSON lines with Python's own json module and gives, for each line, the exact bytes of
// the string under `key` (a \udcXX escape read back as the byte XX, as "surrogateescape" does),
// in hexadecimal; "-" for a line without it. Nothing when Python cannot be run.
inline std::vector<std::string> PythonReadsBack(const std::string& python,
                                                const std::string& folder,
                                                const std::string& lines,
                                                const char* key)
{
    const std::string data = folder + "/lines.json";
    const std::string script = folder + "/read.py";
    std::ofstream(data, std::ios::binary) << lines;
    std::ofstream(script)
        << "import json, sys\n"
           "for line in open(sys.argv[1], encoding='utf-8'):\n"
           "    value = json.loads(line).get(sys.argv[2])\n"
           "    print('-' if value is None else value.encode('utf-8', 'surrogateescape').hex())\n";
    std::vector<std::string> values;
    const std::string command = "'" + python + "' '" + script + "' '" + data + "' " + key;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return values;
    std::string text;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, got);
    if (::pclose(pipe) != 0)
        return {};
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        values.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return values;
}

inline std::string Hex(const std::string& bytes)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        hex += kHex[static_cast<unsigned char>(c) >> 4];
        hex += kHex[static_cast<unsigned char>(c) & 15];
    }
    return hex;
}

} // namespace orvandel::test
