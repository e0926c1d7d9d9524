#pragma once

#include "Prompts.h"

namespace orvandel {

// The real prompts: QMessageBox, QInputDialog and QFileDialog.
class QtPrompts : public Prompts
{
public:
    void message(QWidget* owner, const QString& title, const QString& text, Icon icon) override;
    ResultsButton
    results(QWidget* owner, const QString& title, const QString& text, const QString& informative) override;
    void problemList(QWidget* owner,
                     const QString& title,
                     const QString& heading,
                     const QList<RunProblem>& problems,
                     const std::function<void()>& save) override;
    QString saveFileName(QWidget* owner,
                         const QString& title,
                         const QString& suggested,
                         const QString& filters) override;
    bool askYesNo(QWidget* owner, const QString& title, const QString& text) override;
    QString inputText(QWidget* owner,
                      const QString& title,
                      const QString& label,
                      const QString& defaultText) override;
    QStringList openFileNames(QWidget* owner, const QString& title, const QString& filters) override;
    QString browseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder) override;
    void openInFileManager(const QString& folder) override;
};

// `text` with its CR LF and lone CR line breaks turned into LF, as Qt draws them.
QString WithPlainLineBreaks(QString text);

} // namespace orvandel
