#pragma once

#include <QString>

class QWidget;

namespace orvandel {

// Lets the user pick a real folder in a modal folder picker that shows `prompt` and opens on
// `startFolder` (when it exists). Returns the folder's path without a trailing "/" (the root
// stays "/"), or empty text when the user cancelled.
QString BrowseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder);

} // namespace orvandel
