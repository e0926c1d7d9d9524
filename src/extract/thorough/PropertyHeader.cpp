#include "PropertyHeader.h"

#include "CardText.h"
#include "ImageType.h"
#include "util/AsciiText.h"

#include <vector>

namespace orvandel {

namespace {

    std::string Unquote(std::string_view text)
    {
        text = TrimBlanks(text);
        if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
            text = text.substr(1, text.size() - 2);
        return std::string(text);
    }

} // namespace

PropertyHeader ParsePropertyHeader(std::string_view text)
{
    PropertyHeader header;
    const std::vector<std::string_view> parts = SplitOutsideQuotes(text, ';');
    std::string_view name = TrimBlanks(parts.front());
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos)
        name.remove_prefix(dot + 1); // the group: "item1.PHOTO"
    header.name = AsciiUpper(name);

    std::string& declared = header.declaredType;
    std::string declaredFallback;
    for (std::size_t k = 1; k < parts.size(); ++k) {
        const std::string_view parameter = TrimBlanks(parts[k]);
        if (parameter.empty())
            continue;
        const auto equals = parameter.find('=');
        if (equals == std::string_view::npos) {
            // vCard 2.1 writes bare values: "PHOTO;ENCODING=BASE64;JPEG".
            const std::string value = AsciiUpper(Unquote(parameter));
            if (value == "B" || value == "BASE64" || value == "QUOTED-PRINTABLE" || value == "8BIT"
                || value == "7BIT")
                header.encoding = value;
            else if (value == "URL" || value == "URI")
                header.valueType = value;
            else if (declared.empty())
                declared = Unquote(parameter);
            continue;
        }
        const std::string key = AsciiUpper(TrimBlanks(parameter.substr(0, equals)));
        const std::string value = Unquote(parameter.substr(equals + 1));
        if (key == "ENCODING") {
            header.encoding = AsciiUpper(value);
        } else if (key == "VALUE") {
            header.valueType = AsciiUpper(value);
        } else if (key == "CHARSET") {
            header.charset = value;
        } else if (key == "MEDIATYPE") {
            declared = value;
        } else if (key == "TYPE" && declared.empty()) {
            // TYPE may list several values; the one that names an image type counts.
            for (const std::string_view item : SplitOutsideQuotes(value, ',')) {
                const std::string itemText = Unquote(item);
                if (ImageTypeFromDeclared(itemText) != ImageType::Unknown) {
                    declared = itemText;
                    break;
                }
                if (declaredFallback.empty())
                    declaredFallback = itemText;
            }
        }
    }
    if (declared.empty())
        declared = declaredFallback;
    return header;
}

} // namespace orvandel
