#pragma once

#include <QString>
#include <cstddef>
#include <map>
#include <memory>
#include <string>

class QTemporaryDir;

namespace orvandel {

// The largest skin style sheet, and the largest image it names, that are read.
inline constexpr std::size_t kMaxSkinFileBytes = 1024 * 1024;
// All the images of a skin together.
inline constexpr std::size_t kMaxSkinImageBytes = 16 * 1024 * 1024;
// The sides of an image a skin names.
inline constexpr int kMaxSkinImageSide = 4096;

// A skin: its style sheet in the plain form that colours the window without resizing it
// (SafeSkinStyleSheet), and the images its url()s name. Each image is read as the sheet is, only
// when it is a regular file within the limits (a readable image of at most kMaxSkinImageSide a
// side), and copied into a folder of the skin's own that lives as long as the skin; the sheet
// names the copy. An image that is refused counts as absent. Images built into the program
// (":/...") are named as they are.
class SkinFile
{
public:
    SkinFile();
    ~SkinFile();
    SkinFile(const SkinFile&) = delete;
    SkinFile& operator=(const SkinFile&) = delete;

    // Reads the style sheet at `path`. False, and nothing read, when the file is refused: it is
    // no regular file (a pipe, a device), larger than kMaxSkinFileBytes, or gone; that counts as
    // no skin. Throws std::runtime_error when it cannot be read otherwise.
    bool read(const QString& path);

    const QString& styleSheet() const { return m_styleSheet; }

private:
    std::string image(const std::string& address);

    QString m_styleSheet;
    std::unique_ptr<QTemporaryDir> m_images;
    std::map<std::string, std::string> m_copies; // address -> what the sheet names
    std::size_t m_imageBytes = 0;
};

} // namespace orvandel
