#pragma once

#include "RunProblems.h"
#include "report/ErrorReport.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

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

    // The buttons of the box that ends a run.
    enum class ResultsButton
    {
        Ok,
        OpenFolder,
    };

    virtual ~Prompts() = default;

    // A message with only an OK button.
    virtual void message(QWidget* owner, const QString& title, const QString& text, Icon icon) = 0;
    // The box that ends a run: `text` ("Done."), under it one line of `informative` text, and
    // the buttons "Open Folder" and OK. Tells which was pressed; closing the box is OK.
    virtual ResultsButton
    results(QWidget* owner, const QString& title, const QString& text, const QString& informative)
        = 0;
    // The photos that a run could not take out, all in one dialog with selectable text. Its save
    // button runs `save`; the dialog stays open until it is closed.
    virtual void problemList(QWidget* owner,
                             const QString& title,
                             const QString& heading,
                             const QList<RunProblem>& problems,
                             const std::function<void()>& save)
        = 0;
    // A file to save to, starting at `suggested`; empty on Cancel.
    virtual QString
    saveFileName(QWidget* owner, const QString& title, const QString& suggested, const QString& filters)
        = 0;
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

    // The "Application Error" report of a failed step: a warning box under that title, which
    // shows a name's bytes that are not UTF-8 as "\xHH".
    void report(QWidget* owner, const ErrorReport& report);
};

} // namespace orvandel
