#pragma once

#include <QCursor>
#include <QString>

namespace orvandel {

// Loads a pointer image from a Windows cursor (.cur) or icon (.ico) file, with the hot spot
// that a cursor file names. Throws std::runtime_error when the file cannot be read as one.
QCursor LoadCursorFile(const QString& path);

} // namespace orvandel
