#pragma once

#include "window/Prompts.h"

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
        QString kind; // "message", "results", "problems", "save", "yesno", "input", "files", "folder"
        QString title;
        QString text; // the message, label, prompt, filter or heading
        QString extra; // the input's default text, the folder's start, the results' informative
                       // text, the suggested file name
        Icon icon = Icon::None;
    };

    void answerYesNo(bool yes)
    {
        m_script.push_back({QStringLiteral("yesno"), yes ? QStringLiteral("yes") : QString(), {}});
    }
    void answerText(const QString& text) { m_script.push_back({QStringLiteral("input"), text, {}}); }
    void answerFiles(const QStringList& files) { m_script.push_back({QStringLiteral("files"), {}, files}); }
    void answerFolder(const QString& folder) { m_script.push_back({QStringLiteral("folder"), folder, {}}); }
    // The results box is answered OK unless the script says otherwise.
    void answerOpenFolder() { m_script.push_back({QStringLiteral("results"), QStringLiteral("open"), {}}); }
    // The problem list is closed, after its save button when `save`.
    void answerProblemList(bool save)
    {
        m_script.push_back({QStringLiteral("problems"), save ? QStringLiteral("save") : QString(), {}});
    }
    void answerSaveFile(const QString& path) { m_script.push_back({QStringLiteral("save"), path, {}}); }

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

    QList<Shown> shown;
    QStringList openedFolders;
    // The rows of every problem list shown.
    QList<QList<RunProblem>> problemLists;
    QStringList unexpected;
    // Runs while a message is open (a modal box holds its caller until it closes).
    std::function<void(const Shown&)> onMessage;

    bool scriptDone() const { return m_script.empty(); }
    // The texts of the messages and results boxes shown, in order.
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
