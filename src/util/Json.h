#pragma once

#include <string>
#include <string_view>
#include <type_traits>

namespace orvandel {

// `text` as a JSON string literal, quotes included. Bytes that are not valid UTF-8 become
// U+FFFD; control characters are escaped.
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
