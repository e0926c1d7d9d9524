#include "CursorFile.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>
#include <stdexcept>

namespace orvandel {

QCursor LoadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Cannot open the pointer file %1: %2")
                                     .arg(path, file.errorString())
                                     .toStdString());
    QByteArray bytes = file.readAll();

    // Header: reserved (0), type (1 icon, 2 cursor), count; then 16-byte entries whose bytes
    // 4 to 7 hold a cursor's hot spot.
    int hotX = -1;
    int hotY = -1;
    if (bytes.size() >= 22 && qFromLittleEndian<quint16>(bytes.constData()) == 0) {
        const auto type = qFromLittleEndian<quint16>(bytes.constData() + 2);
        if (type == 2) {
            hotX = qFromLittleEndian<quint16>(bytes.constData() + 10);
            hotY = qFromLittleEndian<quint16>(bytes.constData() + 12);
            // Qt's reader knows the layout as an icon's.
            bytes[2] = 1;
            bytes[3] = 0;
            bytes[10] = 1; // planes
            bytes[11] = 0;
            bytes[12] = 0; // bits per pixel: none here, the image data says it
            bytes[13] = 0;
        }
    }
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "ico");
    const QImage image = reader.read();
    if (image.isNull())
        throw std::runtime_error(QStringLiteral("Cannot read the pointer file %1: %2")
                                     .arg(path, reader.errorString())
                                     .toStdString());
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

} // namespace orvandel
