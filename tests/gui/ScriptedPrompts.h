#pragma once

#include "app/Prompts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

namespace orvandel::test {

// Prompts answered from a script. Every prompt shown is recorded; a prompt that needs an
// answer the script does not hold is noted as unexpected (and answered as a cancel), so that
// the test fails in its clean-up.
class ScriptedPrompts : public Prompts
{
public:
    struct Shown
    {
        QString kind; // "message", "yesno", "input", "files", "folder"
        QString title;
        QString text; // the message, label, prompt or filter
        QString extra; // the input's default text, the folder's start
        Icon icon = Icon::None;
    };

    void answerYesNo(bool yes)
    {
        m_script.push_back({QStringLiteral("yesno"), yes ? QStringLiteral("yes") : QString(), {}});
    }
    void answerText(const QString& text) { m_script.push_back({QStringLiteral("input"), text, {}}); }
    void answerFiles(const QStringList& files) { m_script.push_back({QStringLiteral("files"), {}, files}); }
    void answerFolder(const QString& folder) { m_script.push_back({QStringLiteral("folder"), folder, {}}); }

    void message(QWidget* owner, const QString& title, const QString& text, Icon icon) override;
    bool askYesNo(QWidget* owner, const QString& title, const QString& text) override;
    QString inputText(QWidget* owner,
                      const QString& title,
                      const QString& label,
                      const QString& defaultText) override;
    QStringList openFileNames(QWidget* owner, const QString& title, const QString& filters) override;
    QString browseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder) override;
    void openInFileManager(const QString& folder) override;

    QList<Shown> shown;
    QStringList openedFolders;
    QStringList unexpected;
    // Runs while a message is open (a modal box holds its caller until it closes).
    std::function<void(const Shown&)> onMessage;

    bool scriptDone() const { return m_script.empty(); }
    // The texts of the messages shown, in order.
    QStringList messages() const;

private:
    struct Answer
    {
        QString kind;
        QString text;
        QStringList files;
    };
    // The next answer of `kind`, or nothing when the script holds another kind or none.
    std::optional<Answer> next(const QString& kind, const QString& what);

    std::deque<Answer> m_script;
};

} // namespace orvandel::test
