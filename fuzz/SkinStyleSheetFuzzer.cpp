// A skin's style sheet written anew, on any text: the result is its own plain form (written anew
// it stays as it is), declares no property that sizes widgets, names only addresses that the
// caller gave for its url()s, holds no length beyond the limits outside its strings, and cannot
// be taken for the name of a file of sheets.

#include "window/skin/SkinStyleSheet.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_' || c == '-';
}

// Walks the declarations of the plain form outside their strings: each property declared (the
// name after "{" or ";" before ":") must size nothing, and each length must lie within the
// limits. (Selectors may hold any such text: they are no declarations.)
void CheckPlainForm(std::string_view sheet)
{
    char quote = 0;
    char before = '{'; // the last character outside strings and blanks
    bool declarations = false;
    std::size_t preludeStart = 0;
    for (std::size_t i = 0; i < sheet.size();) {
        const char c = sheet[i];
        if (quote) {
            i += c == '\\' ? 2 : 1;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            ++i;
            continue;
        }
        if (c == '{' || c == '}') {
            if (c == '{') {
                const std::size_t first = sheet.find_first_not_of(" \n", preludeStart);
                declarations = first < i && sheet[first] != '@';
            } else {
                declarations = false;
            }
            preludeStart = i + 1;
            before = c;
            ++i;
            continue;
        }
        if (!declarations) {
            ++i;
            continue;
        }
        if (IsDigit(c) || (c == '.' && i + 1 < sheet.size() && IsDigit(sheet[i + 1]))) {
            double value = 0;
            while (i < sheet.size() && IsDigit(sheet[i]))
                value = value * 10 + (sheet[i++] - '0');
            if (i + 1 < sheet.size() && sheet[i] == '.' && IsDigit(sheet[i + 1])) {
                double scale = 0.1;
                for (++i; i < sheet.size() && IsDigit(sheet[i]); ++i, scale /= 10)
                    value += (sheet[i] - '0') * scale;
            }
            std::size_t end = i;
            while (end < sheet.size() && IsNameChar(sheet[end]))
                ++end;
            const std::string_view unit = sheet.substr(i, end - i);
            const double limit = unit == "px"  ? orvandel::kMaxSkinLength
                : unit == "pt"                 ? orvandel::kMaxSkinLength * 3 / 4
                : unit == "em" || unit == "ex" ? orvandel::kMaxSkinLength / 16
                                               : -1;
            Check(limit < 0 || value <= limit);
            i = end;
            before = 'x';
            continue;
        }
        if (IsNameChar(c) || c == '#') {
            std::size_t end = i + 1;
            while (end < sheet.size() && IsNameChar(sheet[end]))
                ++end;
            const std::string_view name = sheet.substr(i, end - i);
            if ((before == '{' || before == ';') && end < sheet.size() && sheet[end] == ':') {
                for (const char* sizing :
                     {"width", "height", "min-width", "min-height", "max-width", "max-height"})
                    Check(name != sizing);
                Check(name.rfind("qproperty-", 0) != 0);
            }
            i = end;
            before = 'x';
            continue;
        }
        if (c != ' ' && c != '\n')
            before = c;
        ++i;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvandel;
    const std::string_view sheet(reinterpret_cast<const char*>(data), size);
    // Every third address is absent (its declaration goes).
    const std::string safe = SafeSkinStyleSheet(sheet, [](const std::string& address) {
        return address.size() % 3 == 0 ? std::string() : "/skin/" + std::to_string(address.size());
    });
    const std::string again = SafeSkinStyleSheet(safe, [](const std::string& address) {
        Check(address.rfind("/skin/", 0) == 0);
        return address;
    });
    Check(again == safe);
    Check(safe.rfind("file:///", 0) != 0);
    CheckPlainForm(safe);
    return 0;
}
