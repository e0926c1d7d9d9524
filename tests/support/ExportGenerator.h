#pragma once

#include "extract/thorough/Sha256.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace orvandel::test {

// Writes a generated card export piece by piece, so that making a file of any size takes little
// memory. Each card is a vCard 3.0 card as a phone writes it, with a JPEG-looking photo whose
// bytes come from a generator seeded per card: no two photos are alike and none compresses.
class ExportWriter
{
public:
    // Creates the file. Throws std::runtime_error.
    explicit ExportWriter(const std::string& path);
    ~ExportWriter();
    ExportWriter(const ExportWriter&) = delete;
    ExportWriter& operator=(const ExportWriter&) = delete;

    // Writes one card "FN:<fn>" with a photo of `photoSize` bytes (at least 8). The Base64 is
    // folded at 75 characters, or stands on one long line with `oneLine`. Returns the photo's
    // SHA-256.
    Sha256::Digest
    addCard(const std::string& fn, std::uint64_t photoSize, std::uint64_t seed, bool oneLine = false);
    // Flushes and closes the file. Throws std::runtime_error.
    void close();

    std::uint64_t bytesWritten() const noexcept { return m_written; }

private:
    void put(const char* data, std::size_t size);
    void put(const std::string& text) { put(text.data(), text.size()); }

    std::FILE* m_file = nullptr;
    std::string m_path;
    std::uint64_t m_written = 0;
};

// The photo bytes that ExportWriter::addCard writes, whole (for small photos in tests).
std::string GeneratedPhoto(std::uint64_t photoSize, std::uint64_t seed);

// Writes `cards` cards "Person 1" ... with photos of `photoSize` bytes. Returns the file size.
std::uint64_t WriteGeneratedExport(const std::string& path, std::size_t cards, std::uint64_t photoSize);

} // namespace orvandel::test
