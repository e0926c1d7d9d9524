// Name templates on any text and any card fields: a template is taken or refused with
// NameTemplateError, and every name it gives is a safe file name, whatever the fields hold: not
// empty, at most 150 bytes of UTF-8, no character that Linux or Windows refuses, no name of a
// device, no dot or blank at its start nor a dot or blank at its end, and one that the safe-name
// rule leaves as it is. The input is the template, then the fields {file}, {fn} and {uid},
// separated by NUL bytes; the card's number is the input's length.

#include "extract/thorough/PhotoNames.h"
#include "util/Utf8.h"

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

std::string Next(std::string_view& rest)
{
    const auto end = rest.find('\0');
    const std::string piece(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return piece;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvandel;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string text = Next(rest);
    NameFields fields;
    fields.file = Next(rest);
    fields.fn = Next(rest);
    fields.uid = Next(rest);
    fields.number = size;
    NameTemplate name;
    try {
        name = NameTemplate::parse(text);
    } catch (const NameTemplateError&) {
        return 0;
    }
    const std::string made = name.expand(fields);
    Check(!made.empty() && made.size() <= 150);
    Check(MakeSafeFileName(made) == made);
    Check(made.front() != '.' && made.front() != ' ' && made.back() != '.' && made.back() != ' ');
    for (std::size_t i = 0; i < made.size();) {
        const Utf8Char character = DecodeUtf8At(made, i);
        Check(character.valid && character.code >= 0x20 && character.code != 0x7F
              && (character.code < 0x80 || character.code > 0x9F));
        Check(std::string_view("/\\:*?\"<>|").find(static_cast<char>(character.code))
                  == std::string_view::npos
              || character.length > 1);
        i += character.length;
    }
    const std::string_view base = std::string_view(made).substr(0, made.find('.'));
    Check(!IsReservedDeviceName(base.substr(0, base.find_last_not_of(' ') + 1)));
    return 0;
}
