#include "ExportGenerator.h"

#include "Base64Encode.h"

#include <stdexcept>
#include <vector>

namespace orvandel::test {

namespace {

    constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    constexpr std::size_t kFoldWidth = 75;
    constexpr std::size_t kPieceSize = 48 * 1024; // a multiple of three: Base64 groups never straddle pieces

    // The photo's bytes, a piece at a time: a JPEG start, random bytes, a JPEG end.
    class PhotoBytes
    {
    public:
        PhotoBytes(std::uint64_t size, std::uint64_t seed)
            : m_size(size)
            , m_state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull)
        {
        }

        // Fills `piece` with the next bytes; false once all were given.
        bool next(std::string& piece)
        {
            piece.clear();
            static const std::string start(
                "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
            while (piece.size() < kPieceSize && m_at < m_size) {
                char byte;
                if (m_at < start.size() && m_at < m_size - 2)
                    byte = start[m_at];
                else if (m_at == m_size - 2)
                    byte = '\xFF';
                else if (m_at == m_size - 1)
                    byte = '\xD9';
                else
                    byte = static_cast<char>(random() >> 56);
                piece += byte;
                ++m_at;
            }
            return !piece.empty();
        }

    private:
        std::uint64_t random()
        {
            m_state ^= m_state << 13;
            m_state ^= m_state >> 7;
            m_state ^= m_state << 17;
            return m_state;
        }

        std::uint64_t m_size;
        std::uint64_t m_state;
        std::uint64_t m_at = 0;
    };

} // namespace

ExportWriter::ExportWriter(const std::string& path)
    : m_path(path)
{
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file)
        throw std::runtime_error("cannot create " + path);
}

ExportWriter::~ExportWriter()
{
    if (m_file)
        std::fclose(m_file);
}

void ExportWriter::put(const char* data, std::size_t size)
{
    if (std::fwrite(data, 1, size, m_file) != size)
        throw std::runtime_error("cannot write " + m_path);
    m_written += size;
}

Sha256::Digest
ExportWriter::addCard(const std::string& fn, std::uint64_t photoSize, std::uint64_t seed, bool oneLine)
{
    put("BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Orvandel//Generated export//EN\r\nN:" + fn + ";;;;\r\nFN:"
        + fn + "\r\nTEL;type=CELL;type=VOICE;type=pref:+1 555 0100\r\nPHOTO;ENCODING=b;TYPE=JPEG:");
    PhotoBytes photo(photoSize, seed);
    Sha256 sha;
    std::string piece;
    std::string text;
    std::string folded;
    // The first line also holds the 27 characters of the property's name and parameters.
    std::size_t column = 27;
    while (photo.next(piece)) {
        sha.update(piece);
        text.clear();
        AppendBase64(piece, text);
        if (oneLine) {
            put(text);
            continue;
        }
        folded.clear();
        for (std::size_t at = 0; at < text.size();) {
            if (column == kFoldWidth) {
                folded += "\r\n ";
                column = 1;
            }
            const std::size_t take = std::min(kFoldWidth - column, text.size() - at);
            folded.append(text, at, take);
            at += take;
            column += take;
        }
        put(folded);
    }
    put("\r\nEND:VCARD\r\n");
    return sha.finish();
}

void ExportWriter::close()
{
    std::FILE* file = m_file;
    m_file = nullptr;
    if (std::fclose(file) != 0)
        throw std::runtime_error("cannot write " + m_path);
}

std::string GeneratedPhoto(std::uint64_t photoSize, std::uint64_t seed)
{
    PhotoBytes photo(photoSize, seed);
    std::string whole;
    std::string piece;
    while (photo.next(piece))
        whole += piece;
    return whole;
}

std::uint64_t WriteGeneratedExport(const std::string& path, std::size_t cards, std::uint64_t photoSize)
{
    ExportWriter writer(path);
    for (std::size_t i = 1; i <= cards; ++i)
        writer.addCard("Person " + std::to_string(i), photoSize, i);
    writer.close();
    return writer.bytesWritten();
}

} // namespace orvandel::test
