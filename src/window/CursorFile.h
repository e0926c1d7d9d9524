#pragma once

#include <QCursor>
#include <QString>
#include <cstddef>
#include <optional>

namespace orvandel {

// The largest pointer file that is read.
inline constexpr std::size_t kMaxPointerFileBytes = 1024 * 1024;

// Loads a pointer from a Windows cursor (.cur) or icon (.ico) file, or a PNG image, with the hot
// spot that a cursor file names. An image larger than the window system's pointers
// (kMaxPointerSide) is scaled down to them. The file is read only when it is a regular file of at
// most kMaxPointerFileBytes, without blocking: anything else (a pipe, a device, a larger file)
// is refused unread and counts as absent, as a file that has gone does: nullopt. Throws
// std::runtime_error when the file cannot be read or holds no image a pointer can be made of.
std::optional<QCursor> LoadCursorFile(const QString& path);

} // namespace orvandel
