#include "NamePattern.h"

#include "util/AsciiText.h"
#include "util/Utf8.h"

#include <algorithm>

namespace orvandel {

namespace {

    // The length of the character that starts at `at`: a whole UTF-8 sequence, or one byte
    // where the bytes are not UTF-8.
    std::size_t CharLength(std::string_view text, std::size_t at)
    {
        return DecodeUtf8At(text, at).length;
    }

    // Does the character of `pattern` at `p` (not a wildcard) match the one of `name` at `n`?
    // Returns the length matched in the name, 0 for no match.
    std::size_t MatchOne(std::string_view pattern, std::size_t p, std::string_view name, std::size_t n)
    {
        const std::size_t length = CharLength(pattern, p);
        if (n + length > name.size() || CharLength(name, n) != length)
            return 0;
        for (std::size_t k = 0; k < length; ++k) {
            if (AsciiLower(pattern[p + k]) != AsciiLower(name[n + k]))
                return 0;
        }
        return length;
    }

    // True when the rest of the pattern from `p` is a dot followed by one or more stars.
    bool RestIsDotStars(std::string_view pattern, std::size_t p)
    {
        if (p + 1 >= pattern.size() || pattern[p] != '.')
            return false;
        return pattern.find_first_not_of('*', p + 1) == std::string_view::npos;
    }

} // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    // Greedy matching that remembers the last "*" and lets it take one more character when
    // the rest fails: linear in practice, never exponential.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
            continue;
        }
        if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += CharLength(name, n);
            continue;
        }
        if (p < pattern.size()) {
            if (const std::size_t length = MatchOne(pattern, p, name, n)) {
                p += CharLength(pattern, p);
                n += length;
                continue;
            }
        }
        if (starP == std::string_view::npos)
            return false;
        p = starP + 1;
        starN += CharLength(name, starN);
        n = starN;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size() || RestIsDotStars(pattern, p);
}

NamePattern::NamePattern(std::string pattern)
    : m_alternatives {std::move(pattern)}
{
}

NamePattern::NamePattern(const char* pattern)
    : NamePattern(std::string(pattern))
{
}

NamePattern::NamePattern(std::vector<std::string> alternatives)
    : m_alternatives(std::move(alternatives))
{
}

bool NamePattern::matches(std::string_view name) const
{
    return std::any_of(m_alternatives.begin(), m_alternatives.end(),
                       [&](const std::string& pattern) { return WildcardMatch(pattern, name); });
}

} // namespace orvandel
