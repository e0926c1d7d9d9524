#include "SkinFile.h"

#include "util/FileError.h"
#include "util/TextFile.h"
#include "window/list/PathText.h"
#include "window/skin/SkinStyleSheet.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>

namespace orvandel {

namespace {

    bool Refused(FileErrorKind kind)
    {
        return kind == FileErrorKind::NotFound || kind == FileErrorKind::NotRegularFile
            || kind == FileErrorKind::TooLarge;
    }

} // namespace

SkinFile::SkinFile() = default;
SkinFile::~SkinFile() = default;

bool SkinFile::read(const QString& path)
{
    std::string sheet;
    try {
        sheet = ReadRegularFileUpTo(PathToBytes(path), kMaxSkinFileBytes);
    } catch (const FileError& error) {
        if (Refused(error.kind()))
            return false;
        throw;
    }
    m_styleSheet = QString::fromStdString(
        SafeSkinStyleSheet(sheet, [this](const std::string& address) { return image(address); }));
    return true;
}

std::string SkinFile::image(const std::string& address)
{
    if (address.starts_with(':'))
        return address; // built into the program
    if (const auto copy = m_copies.find(address); copy != m_copies.end())
        return copy->second;
    std::string& copy = m_copies[address];
    // An image that is refused is absent: the sheet names none (the declaration goes).
    std::string bytes;
    try {
        // A relative address is the current folder's, as for the style sheet's own reading.
        bytes = ReadRegularFileUpTo(address, kMaxSkinFileBytes);
    } catch (const FileError&) {
        return copy;
    }
    if (bytes.size() > kMaxSkinImageBytes - m_imageBytes)
        return copy;
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    const QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxSkinImageSide || size.height() > kMaxSkinImageSide)
        return copy;
    if (!m_images) {
        m_images = std::make_unique<QTemporaryDir>();
        if (!m_images->isValid())
            return copy;
    }
    QString suffix = QFileInfo(PathFromBytes(address)).suffix().left(8);
    if (!std::all_of(suffix.begin(), suffix.end(),
                     [](QChar c) { return c.isLetterOrNumber() && c.unicode() < 128; }))
        suffix.clear();
    const QString path = m_images->filePath(QString::number(m_copies.size())
                                            + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(data) != data.size()
        || !file.flush())
        return copy;
    m_imageBytes += bytes.size();
    copy = path.toStdString();
    return copy;
}

} // namespace orvandel
