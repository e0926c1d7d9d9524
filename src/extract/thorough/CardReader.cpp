#include "CardReader.h"

#include "CardText.h"
#include "util/AsciiText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace orvandel {

namespace {

    // A property's name and parameters longer than this are no photo's: the line is skipped.
    constexpr std::size_t kMaxHeader = 8 * 1024;
    constexpr std::size_t kHeaderWindow = kMaxHeader + 16;
    // How much of a line without indent tells whether it goes on with Base64.
    constexpr std::size_t kProbe = 4 * 1024;
    constexpr std::size_t kMaxText = 4 * 1024;
    constexpr std::size_t kMinBuffer = 16 * 1024;

    bool IsBreak(char c)
    {
        return c == '\r' || c == '\n';
    }

    bool IsBlank(char c)
    {
        return c == ' ' || c == '\t';
    }

    // What a byte is to a line that may go on with Base64, as bits: one of the alphabets'
    // characters (both alphabets, and "="), a blank, a ":", or anything else.
    enum LineByte : std::uint8_t
    {
        kBase64Byte = 1,
        kBlankByte = 2,
        kOtherByte = 4,
        kColonByte = 8,
    };

    constexpr std::array<std::uint8_t, 256> MakeLineBytes()
    {
        std::array<std::uint8_t, 256> table {};
        table.fill(kOtherByte);
        for (int c = 'A'; c <= 'Z'; ++c)
            table[static_cast<std::size_t>(c)] = table[static_cast<std::size_t>(c - 'A' + 'a')] = kBase64Byte;
        for (int c = '0'; c <= '9'; ++c)
            table[static_cast<std::size_t>(c)] = kBase64Byte;
        for (const char c : {'+', '/', '=', '-', '_'})
            table[static_cast<unsigned char>(c)] = kBase64Byte;
        table[' '] = table['\t'] = kBlankByte;
        table[':'] = kColonByte;
        return table;
    }

    constexpr auto kLineBytes = MakeLineBytes();

} // namespace

CardReader::CardReader(TextSource& text, CardHandler& handler, CardReaderOptions options)
    : m_text(text)
    , m_handler(handler)
    , m_options(options)
    , m_buffer(std::max(options.bufferSize, kMinBuffer))
{
}

bool CardReader::refill()
{
    if (m_textAtEnd)
        return false;
    if (m_pos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
        m_end -= m_pos;
        m_pos = 0;
    }
    const std::size_t room = m_buffer.size() - m_end;
    if (room < 4)
        return false; // nobody asks for this much
    const std::size_t got = m_text.read(m_buffer.data() + m_end, room);
    if (got == 0) {
        m_textAtEnd = true;
        return false;
    }
    m_end += got;
    ++m_refills;
    return true;
}

bool CardReader::ensure(std::size_t count)
{
    while (m_end - m_pos < count) {
        if (!refill())
            return false;
    }
    return true;
}

// CR LF, LF, a lone CR, and CR CR LF (a CR LF that went through a text-mode write twice) each
// end one line.
std::size_t CardReader::breakLength(std::size_t at) const
{
    const char* b = m_buffer.data();
    if (b[at] == '\n')
        return 1;
    if (at + 1 < m_end && b[at + 1] == '\n')
        return 2;
    if (at + 2 < m_end && b[at + 1] == '\r' && b[at + 2] == '\n')
        return 3;
    return 1;
}

bool CardReader::pump()
{
    const std::uint64_t refills = m_refills;
    while (m_state != State::Done && m_refills == refills) {
        if (m_state == State::LineStart)
            stepLineStart();
        else
            stepValue();
    }
    return m_state != State::Done;
}

void CardReader::stepLineStart()
{
    ensure(kHeaderWindow);
    if (m_pos == m_end) {
        finishInput();
        return;
    }
    const char* b = m_buffer.data();
    std::size_t i = m_pos;
    // The line is looked at within a window of fixed size, however much text the buffer holds,
    // so that an input is read alike however it arrives.
    const std::size_t windowEnd = std::min(m_end, m_pos + kHeaderWindow);
    const bool windowAtEnd = m_textAtEnd && windowEnd == m_end;
    // Leading blanks, and the byte-order marks of files that were joined into one.
    for (;;) {
        if (i + 3 > windowEnd && !windowAtEnd) {
            m_pos = i; // a long run of blanks: the rest is looked at with the next window
            return;
        }
        if (i < windowEnd && IsBlank(b[i])) {
            ++i;
        } else if (i + 2 < windowEnd && static_cast<unsigned char>(b[i]) == 0xEF
                   && static_cast<unsigned char>(b[i + 1]) == 0xBB
                   && static_cast<unsigned char>(b[i + 2]) == 0xBF) {
            i += 3;
        } else {
            break;
        }
    }
    if (i == windowEnd) {
        m_pos = i;
        return;
    }
    if (IsBreak(b[i])) {
        m_pos = i + breakLength(i);
        ++m_line;
        return;
    }

    m_propertyLine = m_line;
    m_header.clear();
    bool inParameters = false;
    bool quoted = false;
    for (;;) {
        if (i == windowEnd) {
            m_pos = i;
            if (!windowAtEnd)
                startSkipping(); // longer than any header: the rest of the line is skipped
            return;
        }
        const char c = b[i];
        if (IsBreak(c)) {
            if (i + 4 > windowEnd && !windowAtEnd) {
                m_pos = i;
                startSkipping();
                return;
            }
            const std::size_t length = breakLength(i);
            if (i + length < windowEnd && IsBlank(b[i + length])) {
                // A folded header.
                ++m_line;
                i += length + 1;
                continue;
            }
            // A line without ":" is no property.
            m_pos = i;
            startSkipping();
            return;
        }
        if (m_header.size() >= kMaxHeader) {
            m_pos = i;
            startSkipping();
            return;
        }
        if (c == '"' && inParameters) {
            quoted = !quoted;
        } else if (c == ';' && !quoted) {
            inParameters = true;
        } else if (c == ':' && !quoted) {
            m_pos = i + 1;
            beginProperty();
            return;
        }
        m_header += c;
        ++i;
    }
}

void CardReader::startSkipping()
{
    m_state = State::Value;
    m_kind = ValueKind::Skip;
    m_quotedPrintable = false;
    m_lastChar = 0;
}

void CardReader::beginProperty()
{
    m_property = ParsePropertyHeader(m_header);
    const std::string& upperName = m_property.name;

    m_state = State::Value;
    m_quotedPrintable = m_property.quotedPrintable();
    m_lastChar = 0;
    m_valueLine = m_line;

    if (upperName == "BEGIN" || upperName == "END" || upperName == "FN" || upperName == "UID") {
        m_kind = ValueKind::Text;
        m_textField = upperName == "BEGIN" ? TextField::Begin
            : upperName == "END"           ? TextField::End
            : upperName == "FN"            ? TextField::Fn
                                           : TextField::Uid;
        m_textValue.clear();
    } else if (upperName == "PHOTO" || upperName == "X-MS-CARDPICTURE"
               || (upperName == "LOGO" && m_options.logos)) {
        // A line outside a card is no card, but a photo is: that of a card that lost its
        // BEGIN:VCARD (its FN and UID before it count).
        if (!m_cardOpen)
            startCard();
        m_kind = ValueKind::Photo;
        m_photo.begin(m_property, m_propertyLine, m_valueLine);
    } else {
        m_kind = ValueKind::Skip;
    }
}

bool CardReader::base64LinesContinue() const
{
    return m_kind == ValueKind::Photo && m_photo.takesBase64Lines();
}

bool CardReader::looksLikeBase64Line(std::size_t at) const
{
    // Every line of a photo written without indents is probed before it is decoded: its end is
    // found with memchr, and its bytes are told by a table, with no branch for each.
    const char* b = m_buffer.data();
    const char* from = b + at;
    const char* end = b + std::min(m_end, at + kProbe);
    if (const auto* lineFeed
        = static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(end - from))))
        end = lineFeed;
    if (const auto* cr
        = static_cast<const char*>(std::memchr(from, '\r', static_cast<std::size_t>(end - from))))
        end = cr;
    unsigned kinds = 0;
    for (const char* p = from; p != end; ++p)
        kinds |= kLineBytes[static_cast<unsigned char>(*p)];
    if ((kinds & kOtherByte) != 0 || (kinds & kBase64Byte) == 0)
        return false;
    if ((kinds & kColonByte) == 0)
        return true;
    // A ":" in Base64 is damage, unless a property's name stands before it: no name holds a "+",
    // "/" or "=". The damaged line goes on with the photo, which then fails at it.
    const char* colon
        = static_cast<const char*>(std::memchr(from, ':', static_cast<std::size_t>(end - from)));
    return std::any_of(from, colon, [](char c) { return c == '+' || c == '/' || c == '='; });
}

void CardReader::stepValue()
{
    if (m_pos == m_end && !refill()) {
        if (m_kind == ValueKind::Photo && m_photo.endCutShort(m_card, m_line)) {
            m_state = State::LineStart;
            return;
        }
        endValue(); // the input ends inside the value
        return;
    }
    const char* begin = m_buffer.data() + m_pos;
    const char* end = m_buffer.data() + m_end;
    const char* stop;
    if (m_kind == ValueKind::Photo && m_photo.decodingBase64()) {
        stop = m_photo.decodeBase64Line(begin, end, m_line);
        if (stop > begin)
            m_lastChar = stop[-1];
    } else {
        stop = begin;
        while (stop < end && !IsBreak(*stop))
            ++stop;
        takeSegment(begin, stop);
    }
    m_pos = static_cast<std::size_t>(stop - m_buffer.data());
    if (stop != end)
        atBreak();
}

void CardReader::atBreak()
{
    ensure(kProbe + 4); // may move the text in the buffer: positions only from here on
    const char* b = m_buffer.data();
    const std::size_t next = m_pos + breakLength(m_pos);
    const char lastChar = m_lastChar;
    m_lastChar = 0;
    m_pos = next;
    if (m_quotedPrintable && lastChar == '=') {
        // A soft line break: the next line goes on, a blank at its start included; unless the
        // card plainly ends there (a broken last line).
        const std::string_view rest(b + next, std::min<std::size_t>(m_end - next, 11));
        if (!StartsWithIgnoringAsciiCase(rest, "END:VCARD")
            && !StartsWithIgnoringAsciiCase(rest, "BEGIN:VCARD")) {
            if (m_kind == ValueKind::Text && !m_textValue.empty() && m_textValue.back() == '=')
                m_textValue.pop_back();
            ++m_line;
            return;
        }
    }
    if (next < m_end && IsBlank(b[next])) {
        m_pos = next + 1; // a folded line
        ++m_line;
        return;
    }
    if (base64LinesContinue() && looksLikeBase64Line(next)) {
        ++m_line; // vCard 2.1: Base64 lines without indent
        return;
    }
    // The value ends on its own line: what it tells, it tells of that line.
    endValue();
    ++m_line;
}

void CardReader::takeSegment(const char* begin, const char* end)
{
    if (begin == end)
        return;
    switch (m_kind) {
    case ValueKind::Skip:
        break;
    case ValueKind::Text:
        m_textValue.append(begin,
                           std::min<std::size_t>(static_cast<std::size_t>(end - begin),
                                                 kMaxText - std::min(kMaxText, m_textValue.size())));
        break;
    case ValueKind::Photo:
        m_photo.take(begin, end, m_line);
        break;
    }
    m_lastChar = end[-1];
}

void CardReader::endValue()
{
    m_state = State::LineStart;
    switch (m_kind) {
    case ValueKind::Skip:
        break;
    case ValueKind::Text:
        endText();
        break;
    case ValueKind::Photo:
        m_photo.end(m_card, m_line);
        break;
    }
}

void CardReader::endText()
{
    // A CHARSET names the set of the value's bytes. An input read from UTF-16 is text already:
    // only a quoted-printable value still holds bytes of the set it names.
    const bool bytes = m_text.encoding() == TextEncoding::Utf8 || m_quotedPrintable;
    const std::string value
        = DecodeCardTextValue(m_textValue, m_property.encoding, bytes ? m_property.charset : "");
    switch (m_textField) {
    case TextField::Begin:
        if (EqualsIgnoringAsciiCase(value, "VCARD"))
            openCard();
        break;
    case TextField::End:
        if (EqualsIgnoringAsciiCase(value, "VCARD"))
            closeCard();
        break;
    case TextField::Fn:
        if (m_card.fn.empty())
            m_card.fn = value;
        break;
    case TextField::Uid:
        if (m_card.uid.empty())
            m_card.uid = value;
        break;
    }
}

void CardReader::openCard()
{
    closeCard(); // a card without END:VCARD ends where the next begins
    m_card = CardFields {};
    startCard();
}

void CardReader::startCard()
{
    m_card.number = ++m_cardCount;
    m_card.line = m_propertyLine;
    m_cardOpen = true;
    m_handler.cardStarted(m_card.number);
}

void CardReader::closeCard()
{
    if (!m_cardOpen)
        return;
    m_cardOpen = false;
    m_handler.cardEnded(m_card);
    m_card = CardFields {}; // what stands outside a card is no card's
}

void CardReader::finishInput()
{
    closeCard();
    m_state = State::Done;
}

void CardReader::abandon(const std::string& reason)
{
    if (m_state == State::Value && m_kind == ValueKind::Photo)
        m_photo.abandon(reason, m_card, m_line);
    closeCard();
    m_state = State::Done;
}

} // namespace orvandel
