#pragma once

#include <string>
#include <string_view>

namespace orvandel {

// What a property's header says: the text of its line before the ":" that begins its value, as
// "item1.PHOTO;ENCODING=b;TYPE=JPEG" (its folds already undone). The name, the parameters' names
// and the words that ENCODING and VALUE hold are read in any case; a parameter's value may stand
// in double quotes, which keep the ";" and "," inside it; vCard 2.1's bare parameters
// ("PHOTO;BASE64;JPEG") count as they would with their names.
struct PropertyHeader
{
    std::string name; // upper case, without its group: "PHOTO" of "item1.photo"
    std::string encoding; // ENCODING, or a bare B, BASE64, QUOTED-PRINTABLE, 8BIT or 7BIT; upper case
    std::string valueType; // VALUE, or a bare URI or URL; upper case
    std::string charset; // CHARSET, as written
    // The type of its data as declared, as written: MEDIATYPE; else the first bare parameter that
    // is none of the above, or TYPE's first value that names an image type, whichever stands first;
    // else TYPE's first value.
    std::string declaredType;

    bool quotedPrintable() const noexcept { return encoding == "QUOTED-PRINTABLE"; }
    // VALUE=URI or VALUE=URL: the value is an address.
    bool declaresAddress() const noexcept { return valueType == "URI" || valueType == "URL"; }
    bool declaresBase64() const noexcept
    {
        return encoding == "B" || encoding == "BASE64" || encoding == "BINARY";
    }
    // Base64 declared, or no encoding at all.
    bool allowsBase64() const noexcept { return encoding.empty() || declaresBase64(); }
};

// Reads a property's header. Any text is read: what is no name or parameter is left out.
PropertyHeader ParsePropertyHeader(std::string_view text);

} // namespace orvandel
