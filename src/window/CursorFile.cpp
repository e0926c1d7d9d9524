#include "CursorFile.h"

#include "util/FileError.h"
#include "util/TextFile.h"
#include "window/list/PathText.h"
#include "window/skin/IconFile.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <stdexcept>

namespace orvandel {

namespace {

    QImage Decode(const IconImage& chosen)
    {
        QByteArray bytes;
        const char* format = "png";
        if (chosen.kind == IconImage::Kind::Png) {
            bytes = QByteArray(chosen.bytes.data(), static_cast<qsizetype>(chosen.bytes.size()));
        } else {
            const std::string file = SingleImageIconFile(chosen);
            bytes = QByteArray(file.data(), static_cast<qsizetype>(file.size()));
            format = "ico";
        }
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer, format);
        // Nothing larger than the header told is decoded, whatever the image data holds.
        reader.setAllocationLimit(kMaxDecodedIconSide * kMaxDecodedIconSide * 4 / (1024 * 1024));
        QImage image = reader.read();
        if (image.isNull())
            throw std::runtime_error(reader.errorString().toStdString());
        return image;
    }

} // namespace

std::optional<QCursor> LoadCursorFile(const QString& path)
{
    std::string bytes;
    try {
        bytes = ReadRegularFileUpTo(PathToBytes(path), kMaxPointerFileBytes);
    } catch (const FileError& error) {
        switch (error.kind()) {
        case FileErrorKind::NotFound:
        case FileErrorKind::NotRegularFile:
        case FileErrorKind::TooLarge:
            return std::nullopt;
        default:
            throw;
        }
    }
    QImage image;
    QPoint hotSpot(-1, -1);
    try {
        const IconImage chosen = ChooseIconImage(bytes);
        image = Decode(chosen);
        if (chosen.cursor)
            hotSpot = QPoint(chosen.hotX, chosen.hotY);
    } catch (const std::exception& error) {
        throw std::runtime_error(QStringLiteral("Cannot read the pointer file %1: %2")
                                     .arg(path, QString::fromUtf8(error.what()))
                                     .toStdString());
    }
    if (image.width() > kMaxPointerSide || image.height() > kMaxPointerSide) {
        const QSize from = image.size();
        image = image.scaled(kMaxPointerSide, kMaxPointerSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (hotSpot.x() >= 0)
            hotSpot = QPoint(hotSpot.x() * image.width() / from.width(),
                             hotSpot.y() * image.height() / from.height());
    }
    return QCursor(QPixmap::fromImage(image), hotSpot.x(), hotSpot.y());
}

} // namespace orvandel
