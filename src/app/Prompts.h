#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace orvandel {

// Every message box, input prompt and file or folder picker of the window goes through here,
// and so does opening a folder in the file manager, so that tests can answer them and read
// what was shown.
class Prompts
{
public:
    enum class Icon
    {
        None,
        Warning,
    };

    virtual ~Prompts() = default;

    // A message with only an OK button.
    virtual void message(QWidget* owner, const QString& title, const QString& text, Icon icon) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* owner, const QString& title, const QString& text) = 0;
    // A one-line text prompt with OK and Cancel; empty text on Cancel.
    virtual QString
    inputText(QWidget* owner, const QString& title, const QString& label, const QString& defaultText)
        = 0;
    // Files of one folder, full paths in the dialog's order; a typed name is taken as typed,
    // whether or not it exists. `filters` are the filters' texts, separated by ";;", the first
    // one chosen. Empty on Cancel.
    virtual QStringList openFileNames(QWidget* owner, const QString& title, const QString& filters) = 0;
    // A real folder, its path without a trailing "/" (but the root "/"); empty on Cancel.
    virtual QString browseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder) = 0;
    // Opens the folder in the desktop's file manager; whether that worked is not looked at.
    virtual void openInFileManager(const QString& folder) = 0;
};

} // namespace orvandel
