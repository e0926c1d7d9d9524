#pragma once

#include "Base64Stream.h"
#include "CardHandler.h"
#include "PercentStream.h"
#include "PropertyHeader.h"

#include <cstdint>
#include <string>

namespace orvandel {

// The value of one photo property, read as its text streams past. Its first characters and its
// header tell what it is: Base64; a data: address, holding Base64 or percent-encoded bytes, its
// "," ";" and ":" perhaps escaped as in text values; an address elsewhere, told and not fetched
// (whatever the value holds under VALUE=URI or URL, a local path too, but Base64 of an image; or a
// value that starts with a scheme on the property's line unless Base64 is declared); or nothing
// this program takes out (quoted-printable, another encoding). An inline photo's bytes are decoded
// as they come. The handler is told of the photo's start and end.
class PhotoValueReader
{
public:
    explicit PhotoValueReader(CardHandler& handler);

    // A photo property begins: its header starts on `propertyLine`, its value on `valueLine`.
    void begin(const PropertyHeader& header, std::uint64_t propertyLine, std::uint64_t valueLine);
    // More of the value's text: [begin, end) holds no line break, and stands on `line`.
    void take(const char* begin, const char* end, std::uint64_t line);

    // True while Base64 is being decoded: a line's text may go to decodeBase64Line at once.
    bool decodingBase64() const noexcept { return m_mode == Mode::Base64; }
    // Decodes the Base64 text on `line` up to its first CR or LF; returns where it stopped, at that
    // CR or LF or at `end`.
    const char* decodeBase64Line(const char* begin, const char* end, std::uint64_t line);
    // True when a line without indent that holds only Base64 goes on with the value (vCard 2.1):
    // while Base64 is decoded, or may still come.
    bool takesBase64Lines() const noexcept;

    // The value has ended on `line`: so does the photo, with `card` as far as it is known.
    void end(const CardFields& card, std::uint64_t line);
    // The input ends inside the value's line `line`. True when that cuts a photo's data short
    // (an export or a download that did not finish): the photo has then ended, failed. Otherwise
    // the value ends as any value does, with end().
    bool endCutShort(const CardFields& card, std::uint64_t line);
    // The reading ends early on `line`: a photo whose data is being decoded fails with `reason`.
    void abandon(const std::string& reason, const CardFields& card, std::uint64_t line);

private:
    enum class Mode
    {
        Prefix, // the first characters tell Base64 from an address
        DataHeader, // a data: address up to its ","
        Base64,
        Percent, // a data: address without ";base64"
        Link,
        Unsupported,
    };

    bool decodingData() const noexcept { return m_mode == Mode::Base64 || m_mode == Mode::Percent; }
    void decide(std::uint64_t line);
    void decideDataHeader();
    void startInline();
    void decodeBase64(const char* begin, const char* end, std::uint64_t line);
    void failUnderWay(const std::string& error, const CardFields& card, std::uint64_t line);

    CardHandler& m_handler;
    PropertyHeader m_header;
    std::uint64_t m_valueLine = 0;
    Mode m_mode = Mode::Prefix;
    PhotoStart m_photo;
    std::string m_prefix;
    bool m_prefixOnValueLine = true; // the value's text starts on the header's line
    std::string m_dataHeader;
    Base64Stream m_decoder;
    PercentStream m_percent;
    std::uint64_t m_decodeErrorLine = 0;
};

} // namespace orvandel
