#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvandel {

// One wildcard pattern, or several alternatives, for bare file names. "*" matches any run of
// characters (also none), "?" exactly one character, and everything else itself with the case
// of ASCII letters ignored; other letters (é, Ж, ...) must match exactly. A pattern that ends
// in "." and one or more stars also matches a name that has ended before that dot, so "*.*"
// matches every name, with or without a dot, and "card.*" matches "card" as well as "card.vcf".
// A name matches the pattern when it matches any of the alternatives.
class NamePattern
{
public:
    NamePattern(std::string pattern); // NOLINT: a pattern text stands for its pattern
    NamePattern(const char* pattern); // NOLINT
    explicit NamePattern(std::vector<std::string> alternatives);

    bool matches(std::string_view name) const;
    const std::vector<std::string>& alternatives() const noexcept { return m_alternatives; }

private:
    std::vector<std::string> m_alternatives;
};

// True when `name` matches the single wildcard pattern `pattern` (rules as above).
bool WildcardMatch(std::string_view pattern, std::string_view name);

} // namespace orvandel
