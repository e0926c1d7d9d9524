#include "SkinStyleSheet.h"

#include "util/AsciiText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace orvandel {

namespace {

    constexpr int kMaxFunctionDepth = 8;

    bool IsBlank(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
    }

    bool IsNameChar(char c)
    {
        return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == '-';
    }

    // A name the plain form writes as it is: a letter, "_" or "-" first (no "-" and a digit, which
    // would read as a number), then letters, digits, "_" and "-".
    bool IsPlainName(std::string_view name)
    {
        if (name.empty() || IsAsciiDigit(name[0]) || !IsNameChar(name[0]))
            return false;
        if (name[0] == '-' && (name.size() == 1 || IsAsciiDigit(name[1])))
            return false;
        for (const char c : name) {
            if (!IsNameChar(c))
                return false;
        }
        return true;
    }

    bool StartsWith(std::string_view text, std::string_view prefix)
    {
        return text.substr(0, prefix.size()) == prefix;
    }

    // Properties that size a widget, or set any of its properties (its geometry too).
    bool SizesWidgets(std::string_view property)
    {
        for (const char* name : {"width", "height", "min-width", "min-height", "max-width", "max-height"}) {
            if (property == name)
                return true;
        }
        return StartsWith(property, "qproperty-");
    }

    // Properties where a bare number is a length in pixels.
    bool TakesLengths(std::string_view property)
    {
        for (const char* prefix :
             {"margin", "padding", "border", "outline", "spacing", "icon-size", "font-size"}) {
            if (StartsWith(property, prefix))
                return true;
        }
        for (const char* name :
             {"font", "left", "right", "top", "bottom", "letter-spacing", "word-spacing"}) {
            if (property == name)
                return true;
        }
        return false;
    }

    bool TakesStrings(std::string_view property)
    {
        return property == "font" || property == "font-family";
    }

    // The largest number of `unit` a length may have; 0 for a unit that is no length here.
    double LengthLimit(std::string_view unit)
    {
        if (unit == "px" || unit.empty())
            return kMaxSkinLength;
        if (unit == "pt")
            return kMaxSkinLength * 3 / 4;
        if (unit == "em" || unit == "ex")
            return kMaxSkinLength / 16;
        return 0;
    }

    void AppendUtf8(std::string& out, std::uint32_t code)
    {
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = 0xFFFD;
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    // A string as the plain form writes it: in double quotes, with quotes, backslashes and
    // control characters escaped.
    std::string QuotedString(std::string_view content)
    {
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::string out = "\"";
        for (const char c : content) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (byte < 0x20 || byte == 0x7F) {
                out += '\\';
                if (byte >= 0x10)
                    out += kHex[byte >> 4];
                out += kHex[byte & 0xF];
                out += ' ';
            } else {
                out += c;
            }
        }
        return out + '"';
    }

    class Rewriter
    {
    public:
        Rewriter(std::string_view sheet, const std::function<std::string(const std::string&)>& urlFor)
            : m_s(sheet)
            , m_urlFor(urlFor)
        {
        }

        std::string run()
        {
            rules(false);
            return std::move(m_out);
        }

    private:
        bool atEnd() const { return m_i >= m_s.size(); }
        // The character `k` places on; NUL past the end (a NUL in the sheet is no use either).
        char peek(std::size_t k = 0) const { return m_i + k < m_s.size() ? m_s[m_i + k] : '\0'; }

        bool skipComment()
        {
            if (peek() != '/' || peek(1) != '*')
                return false;
            const auto end = m_s.find("*/", m_i + 2);
            m_i = end == std::string_view::npos ? m_s.size() : end + 2;
            return true;
        }

        bool skipBlanks()
        {
            bool any = false;
            for (;;) {
                if (!atEnd() && IsBlank(peek())) {
                    ++m_i;
                    any = true;
                } else if (skipComment()) {
                    any = true;
                } else {
                    return any;
                }
            }
        }

        // After a backslash: up to six hexadecimal digits (and a blank after them) stand for a
        // character, any other character for itself.
        void escape(std::string& out)
        {
            std::uint32_t code = 0;
            std::size_t digits = 0;
            while (digits < 6 && HexValue(peek()) >= 0) {
                code = code * 16 + static_cast<std::uint32_t>(HexValue(peek()));
                ++m_i;
                ++digits;
            }
            if (digits == 0) {
                if (atEnd())
                    return;
                const char c = m_s[m_i++];
                if (c == '\0')
                    AppendUtf8(out, 0); // U+FFFD: no text holds a NUL
                else
                    out += c;
                return;
            }
            if (!atEnd() && IsBlank(peek()))
                ++m_i;
            AppendUtf8(out, code);
        }

        bool startsEscape() const { return peek() == '\\' && m_i + 1 < m_s.size() && peek(1) != '\n'; }

        // At a quote: the string's content. A line break or the end closes it as well.
        std::string string()
        {
            const char quote = m_s[m_i++];
            std::string content;
            while (!atEnd()) {
                const char c = peek();
                if (c == quote) {
                    ++m_i;
                    break;
                }
                if (c == '\n' || c == '\r' || c == '\f')
                    break;
                ++m_i;
                if (c == '\0')
                    AppendUtf8(content, 0); // U+FFFD, as an escaped NUL gives
                else if (c != '\\')
                    content += c;
                else if (peek() == '\n')
                    ++m_i; // a line continued
                else
                    escape(content);
            }
            return content;
        }

        // A name, its escapes taken away.
        std::string name()
        {
            std::string out;
            while (!atEnd()) {
                if (IsNameChar(peek()) || static_cast<unsigned char>(peek()) >= 0x80) {
                    out += m_s[m_i++];
                } else if (startsEscape()) {
                    ++m_i;
                    escape(out);
                } else {
                    break;
                }
            }
            return out;
        }

        bool startsName() const
        {
            const char c = peek() == '-' ? peek(1) : peek();
            return IsAsciiLetter(c) || c == '_' || c == '-' || c == '\\'
                || static_cast<unsigned char>(c) >= 0x80;
        }

        bool startsNumber() const
        {
            const std::size_t k = peek() == '+' || peek() == '-' ? 1 : 0;
            return IsAsciiDigit(peek(k)) || (peek(k) == '.' && IsAsciiDigit(peek(k + 1)));
        }

        // A number and its unit, kept within the limits of lengths.
        bool number(std::string& out, bool topLevel, bool lengths)
        {
            const std::size_t start = m_i;
            if (peek() == '+' || peek() == '-')
                ++m_i;
            while (IsAsciiDigit(peek()))
                ++m_i;
            if (peek() == '.' && IsAsciiDigit(peek(1))) {
                ++m_i;
                while (IsAsciiDigit(peek()))
                    ++m_i;
            }
            const std::string_view lexeme = m_s.substr(start, m_i - start);
            std::string unit;
            if (peek() == '%') {
                unit = "%";
                ++m_i;
            } else if (startsName()) {
                unit = AsciiLower(name());
            }
            double limit = 0;
            if (unit.empty())
                limit = topLevel && lengths ? kMaxSkinLength : 0;
            else if (unit == "%")
                limit = topLevel ? 400 : 0;
            else if ((limit = LengthLimit(unit)) == 0)
                return false; // no unit a skin has a use for
            double value = 0;
            const char* first = lexeme.data() + (lexeme[0] == '+' ? 1 : 0);
            if (std::from_chars(first, lexeme.data() + lexeme.size(), value).ec != std::errc()) {
                // Too many digits for a double: too large, unless they are all after the point.
                const std::string_view whole = lexeme.substr(0, lexeme.find('.'));
                value = whole.find_first_of("123456789") == std::string_view::npos ? 0 : HUGE_VAL;
            }
            if (limit > 0 && std::fabs(value) > limit)
                out += (value < 0              ? "-"
                            : lexeme[0] == '+' ? "+"
                                               : "")
                    + std::to_string(static_cast<int>(limit));
            else
                out += lexeme;
            out += unit;
            return true;
        }

        // url(...): the address, quoted or not, then ")".
        bool url(std::string& out)
        {
            skipBlanks();
            std::string address;
            if (peek() == '"' || peek() == '\'') {
                address = string();
            } else {
                while (!atEnd() && peek() != ')' && !IsBlank(peek())) {
                    const char c = peek();
                    if (c == '"' || c == '\'' || c == '(')
                        return false;
                    ++m_i;
                    if (c == '\\')
                        escape(address);
                    else
                        address += c;
                }
            }
            skipBlanks();
            if (peek() != ')')
                return false;
            ++m_i;
            const std::string named = m_urlFor(address);
            if (named.empty())
                return false; // an image that is absent: its declaration goes
            out += "url(" + QuotedString(named) + ")";
            return true;
        }

        // The tokens of a value up to its end (`depth` 0: ";", "}" or the sheet's end) or, within
        // a function, its ")". False at anything the plain form has no place for.
        bool value(std::string& out, std::string_view property, int depth)
        {
            bool blank = false;
            for (;;) {
                if (skipBlanks()) {
                    blank = true;
                    continue;
                }
                const char c = peek();
                if (atEnd() || (depth == 0 && (c == ';' || c == '}')))
                    return depth == 0;
                if (depth > 0 && c == ')') {
                    ++m_i;
                    out += ')';
                    return true;
                }
                if (blank && !out.empty() && out.back() != '(')
                    out += ' ';
                blank = false;
                if (startsNumber()) {
                    // Two numbers written together stay two: "1+9999px" is not "1256px".
                    if (!out.empty() && (IsAsciiDigit(out.back()) || out.back() == '.'))
                        out += ' ';
                    if (!number(out, depth == 0, TakesLengths(property)))
                        return false;
                } else if (startsName()) {
                    const std::string word = name();
                    if (!IsPlainName(word))
                        return false; // an escaped number, or characters a name has no use for
                    if (peek() != '(') {
                        out += word;
                        continue;
                    }
                    ++m_i;
                    if (AsciiLower(word) == "url") {
                        if (!url(out))
                            return false;
                        continue;
                    }
                    if (depth >= kMaxFunctionDepth)
                        return false;
                    out += word + "(";
                    if (!value(out, property, depth + 1))
                        return false;
                } else if (c == '"' || c == '\'') {
                    if (!TakesStrings(property))
                        return false;
                    out += QuotedString(string());
                } else if (c == '#') {
                    ++m_i;
                    const std::string hash = name();
                    if (hash.empty() || !std::all_of(hash.begin(), hash.end(), IsNameChar))
                        return false;
                    out += '#' + hash;
                } else if (c == ',' || c == '/' || c == ':' || c == '!') {
                    out += m_s[m_i++];
                } else {
                    return false;
                }
            }
        }

        // Skips to the end of a declaration that is left out: ";" or "}" outside brackets.
        void skipDeclaration()
        {
            int depth = 0;
            while (!atEnd()) {
                const char c = peek();
                if (skipComment())
                    continue;
                if (c == '"' || c == '\'') {
                    string();
                    continue;
                }
                if (depth == 0 && (c == ';' || c == '}'))
                    return;
                if (c == '(' || c == '[' || c == '{')
                    ++depth;
                else if ((c == ')' || c == ']' || c == '}') && depth > 0)
                    --depth;
                ++m_i;
            }
        }

        // The declarations of a rule, after its "{", up to and with its "}".
        void declarations()
        {
            for (;;) {
                skipBlanks();
                if (atEnd())
                    return;
                if (peek() == '}') {
                    ++m_i;
                    return;
                }
                if (peek() == ';') {
                    ++m_i;
                    continue;
                }
                const std::string property = startsName() ? AsciiLower(name()) : std::string();
                skipBlanks();
                if (!IsPlainName(property) || peek() != ':') {
                    skipDeclaration();
                    continue;
                }
                ++m_i;
                std::string text;
                if (!value(text, property, 0) || text.empty() || SizesWidgets(property)) {
                    skipDeclaration();
                    continue;
                }
                while (!text.empty() && text.back() == ' ')
                    text.pop_back();
                m_out += property + ':' + text + ';';
            }
        }

        // Skips a block after its "{", up to and with its "}".
        void skipBlock()
        {
            int depth = 1;
            while (!atEnd() && depth > 0) {
                if (skipComment())
                    continue;
                const char c = peek();
                if (c == '"' || c == '\'') {
                    string();
                    continue;
                }
                if (c == '{')
                    ++depth;
                else if (c == '}')
                    --depth;
                ++m_i;
            }
        }

        // What stands before a block or a ";": a selector or an at-rule, in its plain form; empty
        // when it holds something that the plain form has no place for.
        std::string prelude(bool& stopped)
        {
            std::string out;
            bool valid = true;
            bool blank = false;
            for (;;) {
                if (skipBlanks()) {
                    blank = true;
                    continue;
                }
                const char c = peek();
                if (atEnd() || c == '{' || c == ';' || c == '}') {
                    stopped = !atEnd() && c != '{';
                    return valid ? out : std::string();
                }
                if (blank && !out.empty())
                    out += ' ';
                blank = false;
                if (c == '"' || c == '\'') {
                    out += QuotedString(string());
                    continue;
                }
                const bool allowed = IsNameChar(c) || static_cast<unsigned char>(c) >= 0x80
                    || std::string_view("#.:!*>+~,[]=|^$()@").find(c) != std::string_view::npos;
                valid = valid && allowed;
                out += c;
                ++m_i;
            }
        }

        // Rules up to the sheet's end, or within @media up to its "}".
        void rules(bool nested)
        {
            for (;;) {
                skipBlanks();
                if (atEnd())
                    return;
                if (peek() == '}') {
                    ++m_i;
                    if (nested)
                        return;
                    continue;
                }
                bool stopped = false;
                const std::string head = prelude(stopped);
                if (stopped) {
                    // An at-rule without a block (@import, @charset), or a rule without one.
                    if (peek() == ';')
                        ++m_i;
                    continue;
                }
                if (atEnd())
                    return;
                ++m_i; // "{"
                if (head.empty() || (head[0] == '@' && (nested || !IsMedia(head)))) {
                    skipBlock();
                } else if (head[0] == '@') {
                    m_out += head + "{\n";
                    rules(true);
                    m_out += "}\n";
                } else {
                    m_out += head + '{';
                    declarations();
                    m_out += "}\n";
                }
            }
        }

        static bool IsMedia(std::string_view head)
        {
            if (!StartsWith(head, "@media "))
                return false;
            for (const char c : head.substr(7)) {
                if (!IsNameChar(c) && c != ',' && c != ' ')
                    return false;
            }
            return true;
        }

        std::string_view m_s;
        std::size_t m_i = 0;
        const std::function<std::string(const std::string&)>& m_urlFor;
        std::string m_out;
    };

} // namespace

std::string SafeSkinStyleSheet(std::string_view sheet,
                               const std::function<std::string(const std::string& address)>& urlFor)
{
    return Rewriter(sheet, urlFor).run();
}

} // namespace orvandel
