#pragma once

#include <QString>

class QWidget;

namespace orvandel {

// Lets the user pick a real folder in a modal folder picker that shows `prompt` and opens on
// `startFolder` (when it exists). Returns the folder's path as PickedFolderPath gives it, or
// empty text when the user cancelled.
QString BrowseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder);

// The path of a folder that a picker returned, in the system's own form and without a trailing
// separator but for a root: "C:\Cards" and "C:\" on Windows ("C:/Cards/" comes back as
// "C:\Cards"), "/srv/cards" and "/" elsewhere.
QString PickedFolderPath(const QString& selected);

} // namespace orvandel
