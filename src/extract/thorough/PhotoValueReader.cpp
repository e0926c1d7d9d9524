#include "PhotoValueReader.h"

#include "CardText.h"
#include "ImageType.h"
#include "util/AsciiText.h"

#include <algorithm>
#include <vector>

namespace orvandel {

namespace {

    constexpr std::size_t kMaxAddress = 8 * 1024;
    constexpr std::size_t kMaxDataHeader = 1024;
    // Enough of a value to see "https:" or "data:" at its start.
    constexpr std::size_t kPrefixLength = 16;

    bool IsBlank(char c)
    {
        return c == ' ' || c == '\t';
    }

    // True when the first characters of a value are Base64 (blanks aside) whose bytes begin an
    // image of a type this program knows.
    bool StartsAsBase64Image(std::string_view text)
    {
        std::string bytes;
        std::uint32_t bits = 0;
        int have = 0;
        for (const char c : text) {
            std::uint32_t value = 0;
            if (c >= 'A' && c <= 'Z')
                value = static_cast<std::uint32_t>(c - 'A');
            else if (c >= 'a' && c <= 'z')
                value = static_cast<std::uint32_t>(c - 'a' + 26);
            else if (c >= '0' && c <= '9')
                value = static_cast<std::uint32_t>(c - '0' + 52);
            else if (c == '+' || c == '-')
                value = 62;
            else if (c == '/' || c == '_')
                value = 63;
            else if (IsBlank(c))
                continue;
            else if (c == '=')
                break;
            else
                return false;
            bits = bits << 6 | value;
            if (++have == 4) {
                bytes += static_cast<char>(bits >> 16);
                bytes += static_cast<char>(bits >> 8);
                bytes += static_cast<char>(bits);
                bits = 0;
                have = 0;
            }
        }
        if (have >= 2)
            bytes += static_cast<char>(bits >> (6 * have - 8));
        if (have == 3)
            bytes += static_cast<char>(bits >> 2);
        return SniffImageType(bytes) != ImageType::Unknown;
    }

} // namespace

PhotoValueReader::PhotoValueReader(CardHandler& handler)
    : m_handler(handler)
{
}

void PhotoValueReader::begin(const PropertyHeader& header,
                             std::uint64_t propertyLine,
                             std::uint64_t valueLine)
{
    m_header = header;
    m_valueLine = valueLine;
    m_photo = PhotoStart {};
    m_photo.property = header.name;
    m_photo.line = propertyLine;
    m_photo.declaredType = header.declaredType;
    m_prefix.clear();
    m_dataHeader.clear();
    m_decodeErrorLine = 0;
    m_mode = Mode::Prefix;
    if (header.quotedPrintable()) {
        m_mode = Mode::Unsupported;
        m_photo.problem = "it is written as quoted-printable text, not as Base64, and is left alone";
    }
}

bool PhotoValueReader::takesBase64Lines() const noexcept
{
    return m_mode == Mode::Base64 || (m_mode == Mode::Prefix && m_header.allowsBase64());
}

const char* PhotoValueReader::decodeBase64Line(const char* begin, const char* end, std::uint64_t line)
{
    const bool failedBefore = m_decoder.failed();
    const char* stop = m_decoder.decodeLine(begin, end);
    if (!failedBefore && m_decoder.failed())
        m_decodeErrorLine = line;
    return stop;
}

void PhotoValueReader::take(const char* begin, const char* end, std::uint64_t line)
{
    const char* p = begin;
    while (p < end) {
        switch (m_mode) {
        case Mode::Prefix: {
            const char c = *p++;
            if (m_prefix.empty() && IsBlank(c))
                break;
            if (m_prefix.empty())
                m_prefixOnValueLine = line == m_valueLine;
            m_prefix += c;
            if (c == ':' || m_prefix.size() >= kPrefixLength)
                decide(line);
            break;
        }
        case Mode::DataHeader: {
            const char* comma = std::find(p, end, ',');
            const std::size_t room = kMaxDataHeader + 1 - std::min(kMaxDataHeader + 1, m_dataHeader.size());
            m_dataHeader.append(p, std::min<std::size_t>(static_cast<std::size_t>(comma - p), room));
            p = comma;
            if (m_dataHeader.size() > kMaxDataHeader) {
                m_mode = Mode::Unsupported;
                m_photo.problem = "its data: address has no \",\" before its data";
            } else if (p < end) {
                ++p;
                decideDataHeader();
            }
            break;
        }
        case Mode::Base64:
            p = decodeBase64Line(p, end, line);
            break;
        case Mode::Percent: {
            const bool failedBefore = m_percent.failed();
            m_percent.decode(p, end);
            if (!failedBefore && m_percent.failed())
                m_decodeErrorLine = line;
            p = end;
            break;
        }
        case Mode::Link: {
            const std::size_t room = kMaxAddress - std::min(kMaxAddress, m_photo.address.size());
            m_photo.address.append(p, std::min<std::size_t>(static_cast<std::size_t>(end - p), room));
            p = end;
            break;
        }
        case Mode::Unsupported:
            p = end;
            break;
        }
    }
}

void PhotoValueReader::decide(std::uint64_t line)
{
    // Base64 never holds a ":", so a "scheme:" at the start is an address, also with its ":"
    // escaped as in text values ("https\://", as Google Contacts writes it).
    const std::string prefix = UnescapeSeparators(m_prefix);
    std::string scheme;
    const auto colon = prefix.find(':');
    if (colon != std::string::npos && colon > 0 && IsAsciiLetter(prefix[0])) {
        const std::string_view name = std::string_view(prefix).substr(0, colon);
        const bool wellFormed = std::all_of(name.begin(), name.end(), [](char c) {
            return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '+' || c == '.' || c == '-';
        });
        if (wellFormed)
            scheme = AsciiUpper(name);
    }
    if (scheme == "DATA") {
        m_mode = Mode::DataHeader;
        m_dataHeader = m_prefix.substr(m_prefix.find(':') + 1);
        return;
    }
    // VALUE=URI or URL says the value is an address, whatever it holds (a desktop address book
    // writes local paths there), unless it plainly is an image in Base64, as the classic
    // "PHOTO;VALUE=URL;TYPE=GIF" header carries it. Without such a word, a value that starts
    // with a scheme on the property's own line is an address unless Base64 is declared: Base64
    // that holds a ":" is damaged, and fails as such.
    const bool declaredAddress = m_header.declaresAddress();
    if ((declaredAddress && !StartsAsBase64Image(m_prefix))
        || (!declaredAddress && !scheme.empty() && !m_header.declaresBase64() && m_prefixOnValueLine)) {
        m_mode = Mode::Link;
        m_photo.address = m_prefix;
        return;
    }
    if (!m_header.allowsBase64()) {
        m_mode = Mode::Unsupported;
        m_photo.problem = "its encoding \"" + m_header.encoding + "\" is not Base64";
        return;
    }
    m_mode = Mode::Base64;
    startInline();
    decodeBase64Line(m_prefix.data(), m_prefix.data() + m_prefix.size(), line);
}

// "image/png;base64": a media type, perhaps parameters, and ";base64" for Base64 data; without
// it the data is percent-encoded. Some exporters escape the "," ";" and ":" as in text values.
void PhotoValueReader::decideDataHeader()
{
    // The "," that ended the header counts too, so that the backslash of an escaped one goes.
    std::string header = UnescapeSeparators(m_dataHeader + ",");
    header.pop_back();
    const std::vector<std::string_view> parts = SplitOutsideQuotes(header, ';');
    const std::string_view mediaType = TrimBlanks(parts.front());
    bool base64 = false;
    for (std::size_t k = 1; k < parts.size(); ++k)
        base64 = base64 || EqualsIgnoringAsciiCase(TrimBlanks(parts[k]), "BASE64");
    if (!mediaType.empty())
        m_photo.declaredType = std::string(mediaType);
    m_mode = base64 ? Mode::Base64 : Mode::Percent;
    startInline();
}

void PhotoValueReader::startInline()
{
    m_photo.form = PhotoForm::Inline;
    PhotoOutput* output = m_handler.photoStarted(m_photo);
    if (m_mode == Mode::Percent)
        m_percent.start(output);
    else
        m_decoder.start(output);
}

void PhotoValueReader::end(const CardFields& card, std::uint64_t line)
{
    if (m_mode == Mode::Prefix) {
        if (m_prefix.empty())
            return; // an empty photo property carries no photo
        decide(line);
    }
    if (m_mode == Mode::DataHeader) {
        m_mode = Mode::Unsupported;
        m_photo.problem = "its data: address ends before its data";
    }
    PhotoEnd end;
    switch (m_mode) {
    case Mode::Base64:
        end.ok = m_decoder.finish();
        end.error = m_decoder.error();
        end.errorLine = m_decodeErrorLine;
        end.repaired = m_decoder.repaired();
        end.bytes = m_decoder.bytesDecoded();
        m_handler.photoEnded(end, card);
        return;
    case Mode::Percent:
        end.ok = m_percent.finish();
        end.error = m_percent.error();
        end.errorLine = m_decodeErrorLine;
        if (!end.ok && end.errorLine == 0)
            end.errorLine = line; // it ended inside an escape, on the value's last line
        end.bytes = m_percent.bytesDecoded();
        m_handler.photoEnded(end, card);
        return;
    case Mode::Link:
        m_photo.form = PhotoForm::Link;
        m_photo.address = UnescapeSeparators(TrimBlanks(m_photo.address)); // as the exporter meant it
        m_handler.photoStarted(m_photo);
        m_handler.photoEnded(end, card);
        return;
    case Mode::Unsupported:
        m_photo.form = PhotoForm::Unsupported;
        end.ok = false;
        end.error = m_photo.problem;
        m_handler.photoStarted(m_photo);
        m_handler.photoEnded(end, card);
        return;
    case Mode::Prefix:
    case Mode::DataHeader:
        return;
    }
}

bool PhotoValueReader::endCutShort(const CardFields& card, std::uint64_t line)
{
    if (m_mode == Mode::Prefix && !m_prefix.empty())
        decide(line); // a short photo: what it is was not known yet
    if (!decodingData())
        return false;
    // The input ends inside a line of the photo's data: the file was cut short (an export, a copy
    // or a download that did not finish), and so was the photo.
    failUnderWay("the input ends inside its data, which is cut short", card, line);
    return true;
}

void PhotoValueReader::abandon(const std::string& reason, const CardFields& card, std::uint64_t line)
{
    if (decodingData())
        failUnderWay(reason, card, line);
}

void PhotoValueReader::failUnderWay(const std::string& error, const CardFields& card, std::uint64_t line)
{
    PhotoEnd end;
    end.ok = false;
    end.error = error;
    end.errorLine = line;
    m_handler.photoEnded(end, card);
}

} // namespace orvandel
