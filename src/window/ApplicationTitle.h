#pragma once

#include <QString>

namespace orvandel {

inline const QString kProductName = QStringLiteral("Orvandel");

// The application's name for itself, the title of every message box without its own: the
// product name cut before its last space until at most 40 characters remain, and cut at least
// once. A name without a space stays whole.
QString ApplicationTitle(const QString& productName);

} // namespace orvandel
