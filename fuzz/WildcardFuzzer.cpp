// Wildcard patterns on any pattern and name: WildcardMatch answers as a plain matcher that tries
// every way a "*" can stretch (characters being whole UTF-8 sequences, or single bytes where the
// bytes are not UTF-8; ASCII case ignored; a pattern ending in "." and stars also matching a
// name that ended before that dot). The input is the pattern, a NUL, then the name.

#include "scan/NamePattern.h"
#include "util/AsciiText.h"
#include "util/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

using orvandel::DecodeUtf8At;

class Reference
{
public:
    Reference(std::string_view pattern, std::string_view name)
        : m_pattern(pattern)
        , m_name(name)
        , m_known((pattern.size() + 1) * (name.size() + 1), 0)
    {
    }

    bool matches(std::size_t p, std::size_t n)
    {
        char& known = m_known[p * (m_name.size() + 1) + n];
        if (known == 0)
            known = compute(p, n) ? 1 : 2;
        return known == 1;
    }

private:
    bool restIsDotStars(std::size_t p) const
    {
        return p + 1 < m_pattern.size() && m_pattern[p] == '.'
            && m_pattern.find_first_not_of('*', p + 1) == std::string_view::npos;
    }

    bool compute(std::size_t p, std::size_t n)
    {
        if (n == m_name.size()) {
            while (p < m_pattern.size() && m_pattern[p] == '*')
                ++p;
            return p == m_pattern.size() || restIsDotStars(p);
        }
        if (p == m_pattern.size())
            return false;
        const std::size_t step = DecodeUtf8At(m_name, n).length;
        if (m_pattern[p] == '*')
            return matches(p + 1, n) || matches(p, n + step);
        if (m_pattern[p] == '?')
            return matches(p + 1, n + step);
        const std::size_t length = DecodeUtf8At(m_pattern, p).length;
        if (length != step || n + length > m_name.size())
            return false;
        for (std::size_t k = 0; k < length; ++k) {
            if (orvandel::AsciiLower(m_pattern[p + k]) != orvandel::AsciiLower(m_name[n + k]))
                return false;
        }
        return matches(p + length, n + length);
    }

    std::string_view m_pattern;
    std::string_view m_name;
    std::vector<char> m_known; // 0 not yet known, 1 matches, 2 does not
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto split = input.find('\0');
    if (split == std::string_view::npos || size > 1024)
        return 0;
    const std::string_view pattern = input.substr(0, split);
    const std::string_view name = input.substr(split + 1);
    if (orvandel::WildcardMatch(pattern, name) != Reference(pattern, name).matches(0, 0))
        std::abort();
    return 0;
}
