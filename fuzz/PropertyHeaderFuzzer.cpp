// The property-header parse on any header text. What it reads is read again, field for field,
// from a header written anew of it (a group before the name, each field as a quoted parameter),
// wherever no field holds a double quote and the name no ";"; and the same header in upper case
// gives the same name, encoding and value type, and the same charset and declared type but for
// their case.

#include "extract/thorough/PropertyHeader.h"
#include "util/AsciiText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using orvandel::AsciiUpper;
using orvandel::ParsePropertyHeader;
using orvandel::PropertyHeader;

bool Same(const PropertyHeader& a, const PropertyHeader& b)
{
    return a.name == b.name && a.encoding == b.encoding && a.valueType == b.valueType
        && a.charset == b.charset && a.declaredType == b.declaredType;
}

void AddParameter(std::string& header, std::string_view key, const std::string& value)
{
    if (!value.empty())
        header += ";" + std::string(key) + "=\"" + value + "\"";
}

std::string WrittenAnew(const PropertyHeader& parsed)
{
    std::string header = "group." + parsed.name;
    AddParameter(header, "ENCODING", parsed.encoding);
    AddParameter(header, "VALUE", parsed.valueType);
    AddParameter(header, "CHARSET", parsed.charset);
    AddParameter(header, "MEDIATYPE", parsed.declaredType);
    return header;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const PropertyHeader parsed = ParsePropertyHeader(text);

    // A name without its group, and the words of ENCODING and VALUE, are in upper case.
    if (parsed.name.find('.') != std::string::npos || parsed.name != AsciiUpper(parsed.name)
        || parsed.encoding != AsciiUpper(parsed.encoding) || parsed.valueType != AsciiUpper(parsed.valueType))
        std::abort();

    // A name holds a ";" only where a double quote before its group kept it from parting there.
    const bool writable
        = (parsed.name + parsed.encoding + parsed.valueType + parsed.charset + parsed.declaredType).find('"')
            == std::string::npos
        && parsed.name.find(';') == std::string::npos;
    if (writable && !Same(ParsePropertyHeader(WrittenAnew(parsed)), parsed))
        std::abort();

    const PropertyHeader upper = ParsePropertyHeader(AsciiUpper(text));
    if (upper.name != parsed.name || upper.encoding != parsed.encoding || upper.valueType != parsed.valueType
        || upper.charset != AsciiUpper(parsed.charset)
        || upper.declaredType != AsciiUpper(parsed.declaredType))
        std::abort();
    return 0;
}
