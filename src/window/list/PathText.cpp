#include "PathText.h"

#include "util/Utf8.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace orvandel {

namespace {

    constexpr char16_t kEscapeFirst = 0xDC80;
    constexpr char16_t kEscapeLast = 0xDCFF;

    bool IsEscapedByte(char16_t unit)
    {
        return unit >= kEscapeFirst && unit <= kEscapeLast;
    }

} // namespace

QString PathFromBytes(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t validFrom = 0;
    const auto flushValid = [&](std::size_t end) {
        if (end > validFrom)
            text += QString::fromUtf8(bytes.data() + validFrom, static_cast<qsizetype>(end - validFrom));
    };
    for (std::size_t at = 0; at < bytes.size();) {
        const Utf8Char character = DecodeUtf8At(bytes, at);
        if (character.valid) {
            at += character.length;
            continue;
        }
        flushValid(at);
        // Only bytes from 0x80 on can fail to be UTF-8.
        text += QChar(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[at])));
        validFrom = ++at;
    }
    flushValid(bytes.size());
    return text;
}

QString AbsolutePathFromBytes(std::string_view bytes)
{
    const QString path = PathFromBytes(bytes);
#if defined(_WIN32)
    // Windows's own form: "C:\Cards\a.vcf".
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
#else
    if (path.isEmpty() || !QDir::isRelativePath(path))
        return QFileInfo(path).absoluteFilePath();
    // Qt makes a relative name absolute through the system's encoding, which turns a kept byte
    // into U+FFFD: the current folder goes in front first, as bytes too.
    std::error_code error;
    const QString here = PathFromBytes(std::filesystem::current_path(error).native());
    return QFileInfo(here + QLatin1Char('/') + path).absoluteFilePath();
#endif
}

std::string PathToBytes(const QString& path)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(path.size()));
    qsizetype validFrom = 0;
    const auto flushValid = [&](qsizetype end) {
        if (end > validFrom)
            bytes += QStringView(path).mid(validFrom, end - validFrom).toUtf8().toStdString();
    };
    for (qsizetype at = 0; at < path.size(); ++at) {
        const char16_t unit = path.at(at).unicode();
        // A low surrogate after a high one is half of a real character.
        const bool paired = at > 0 && path.at(at - 1).isHighSurrogate();
        if (!IsEscapedByte(unit) || paired)
            continue;
        flushValid(at);
        bytes += static_cast<char>(unit - 0xDC00);
        validFrom = at + 1;
    }
    flushValid(path.size());
    return bytes;
}

QString PathForDisplay(const QString& path)
{
    static constexpr char kHex[] = "0123456789abcdef";
    QString shown;
    shown.reserve(path.size());
    for (qsizetype at = 0; at < path.size(); ++at) {
        const char16_t unit = path.at(at).unicode();
        const bool paired = at > 0 && path.at(at - 1).isHighSurrogate();
        if (IsEscapedByte(unit) && !paired) {
            const unsigned byte = unit - 0xDC00u;
            shown += QStringLiteral("\\x");
            shown += QLatin1Char(kHex[byte >> 4]);
            shown += QLatin1Char(kHex[byte & 15]);
        } else {
            shown += path.at(at);
        }
    }
    return shown;
}

} // namespace orvandel
