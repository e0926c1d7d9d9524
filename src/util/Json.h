#pragma once

#include <string>
#include <string_view>
#include <type_traits>

namespace orvandel {

// `text` as a JSON string literal, quotes included. Control characters (C0, DEL and C1) are
// escaped as \u00XX; each byte that is not part of valid UTF-8 becomes an escape from \udc80 to
// \udcff (as Python's "surrogateescape" does), so that the exact bytes can always be had back.
std::string JsonQuote(std::string_view text);

// Builds one JSON object on one line, keys in the order they are added.
class JsonObject
{
public:
    JsonObject& add(std::string_view key, std::string_view value);
    JsonObject& add(std::string_view key, const char* value) { return add(key, std::string_view(value)); }
    JsonObject& add(std::string_view key, bool value);
    template<class Number>
    requires(std::is_integral_v<Number> && !std::is_same_v<Number, bool>)
        JsonObject& add(std::string_view key, Number value)
    {
        return addNumber(key, static_cast<long long>(value));
    }
    std::string str() const { return m_text + "}"; }

private:
    JsonObject& addNumber(std::string_view key, long long value);
    void key(std::string_view key);
    std::string m_text = "{";
};

} // namespace orvandel
