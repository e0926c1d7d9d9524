#pragma once

#include "CardHandler.h"
#include "PhotoValueReader.h"
#include "PropertyHeader.h"
#include "TextSource.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvandel {

struct CardReaderOptions
{
    bool logos = false; // LOGO properties are photos too
    // At least 16 KB. A megabyte a read: the copies out of the file dominate, not the calls.
    std::size_t bufferSize = 1024 * 1024;
};

// Reads the cards of one input front to back, one buffer at a time, so that its memory does not
// grow with the input: no line, value or photo is ever held whole.
//
// Recognised: the properties PHOTO and X-MS-CARDPICTURE (and LOGO when asked), with or without a
// group ("item1.PHOTO"), names and parameters in any case and order; Base64 given by
// ENCODING=b, ENCODING=BASE64, a bare BASE64 or B parameter, or by no encoding at all; data:
// addresses with or without VALUE=URI or URL, holding Base64 or percent-encoded bytes, their
// "," ";" and ":" perhaps escaped as in text values ("data:image/png\;base64\,..."); other
// addresses, which are told (their text escapes undone) and not fetched: whatever a value holds
// under VALUE=URI or URL (a local path too) but Base64 of an image, and a value that starts with a
// scheme on the property's line unless Base64 is declared. Base64 that holds a ":" is damaged and
// fails. Lines end with CR LF, LF, CR or CR CR LF; a line that starts with a blank or tab continues
// the one before it; so does a line without indent that holds only Base64 while Base64 is being
// read (up to a blank line or the next property), or Base64 with a ":" where no property's name
// could stand before it; a quoted-printable value goes on after a line that ends with "=". Cards
// run from BEGIN:VCARD to END:VCARD; a line outside a card is none, but a photo there opens one.
//
// The reader finds the lines, the headers and the values, and keeps the cards; a header is read
// by ParsePropertyHeader, and a photo's value by a PhotoValueReader.
class CardReader
{
public:
    CardReader(TextSource& text, CardHandler& handler, CardReaderOptions options = {});

    // Reads on until about one buffer of the input has been handled. False once the input is
    // done and its last card has ended. Throws FileError when the input cannot be read; the
    // reading can then be ended with abandon().
    bool pump();
    // Ends the reading early: a photo being decoded fails with `reason`, and an open card ends.
    void abandon(const std::string& reason);

    // The input line being read, from 1.
    std::uint64_t line() const noexcept { return m_line; }

private:
    enum class State
    {
        LineStart,
        Value,
        Done,
    };
    enum class ValueKind
    {
        Skip,
        Text,
        Photo,
    };
    enum class TextField
    {
        Begin,
        End,
        Fn,
        Uid,
    };

    bool refill();
    bool ensure(std::size_t count);
    std::size_t breakLength(std::size_t at) const;

    void stepLineStart();
    void stepValue();
    void atBreak();
    bool looksLikeBase64Line(std::size_t at) const;
    bool base64LinesContinue() const;

    void startSkipping();
    void beginProperty();
    void takeSegment(const char* begin, const char* end);
    void endValue();
    void endText();

    void openCard();
    void startCard();
    void closeCard();
    void finishInput();

    TextSource& m_text;
    CardHandler& m_handler;
    CardReaderOptions m_options;

    std::vector<char> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_textAtEnd = false;
    std::uint64_t m_refills = 0;
    std::uint64_t m_line = 1;

    State m_state = State::LineStart;
    std::string m_header; // the property's name and parameters, as written
    PropertyHeader m_property; // what they say
    std::uint64_t m_propertyLine = 0;
    std::uint64_t m_valueLine = 0; // where the value begins, after the header's ":"

    // The value being read.
    ValueKind m_kind = ValueKind::Skip;
    bool m_quotedPrintable = false;
    char m_lastChar = 0; // of the current line's value text, for quoted-printable soft breaks
    TextField m_textField = TextField::Fn;
    std::string m_textValue;
    PhotoValueReader m_photo {m_handler}; // the photo being read

    bool m_cardOpen = false;
    std::size_t m_cardCount = 0;
    CardFields m_card;
};

} // namespace orvandel
