#include "ScriptedPrompts.h"

namespace orvandel::test {

std::optional<ScriptedPrompts::Answer> ScriptedPrompts::next(const QString& kind, const QString& what)
{
    if (m_script.empty() || m_script.front().kind != kind) {
        unexpected << kind + QStringLiteral(": ") + what;
        return std::nullopt;
    }
    Answer answer = m_script.front();
    m_script.pop_front();
    return answer;
}

void ScriptedPrompts::message(QWidget*, const QString& title, const QString& text, Icon icon)
{
    shown.append({QStringLiteral("message"), title, text, {}, icon});
    if (onMessage)
        onMessage(shown.constLast());
}

Prompts::ResultsButton
ScriptedPrompts::results(QWidget*, const QString& title, const QString& text, const QString& informative)
{
    shown.append({QStringLiteral("results"), title, text, informative, Icon::None});
    if (onMessage)
        onMessage(shown.constLast());
    if (!m_script.empty() && m_script.front().kind == QStringLiteral("results")) {
        m_script.pop_front();
        return ResultsButton::OpenFolder;
    }
    return ResultsButton::Ok;
}

void ScriptedPrompts::problemList(QWidget*,
                                  const QString& title,
                                  const QString& heading,
                                  const QList<RunProblem>& problems,
                                  const std::function<void()>& save)
{
    shown.append({QStringLiteral("problems"), title, heading, {}, Icon::None});
    problemLists.append(problems);
    const auto answer = next(QStringLiteral("problems"), heading);
    if (answer && !answer->text.isEmpty() && save)
        save();
}

QString
ScriptedPrompts::saveFileName(QWidget*, const QString& title, const QString& suggested, const QString&)
{
    shown.append({QStringLiteral("save"), title, title, suggested, Icon::None});
    const auto answer = next(QStringLiteral("save"), title);
    return answer ? answer->text : QString();
}

bool ScriptedPrompts::askYesNo(QWidget*, const QString& title, const QString& text)
{
    shown.append({QStringLiteral("yesno"), title, text, {}, Icon::None});
    const auto answer = next(QStringLiteral("yesno"), text);
    return answer && !answer->text.isEmpty();
}

QString
ScriptedPrompts::inputText(QWidget*, const QString& title, const QString& label, const QString& defaultText)
{
    shown.append({QStringLiteral("input"), title, label, defaultText, Icon::None});
    const auto answer = next(QStringLiteral("input"), label);
    return answer ? answer->text : QString();
}

QStringList ScriptedPrompts::openFileNames(QWidget*, const QString& title, const QString& filters)
{
    shown.append({QStringLiteral("files"), title, filters, {}, Icon::None});
    const auto answer = next(QStringLiteral("files"), title);
    return answer ? answer->files : QStringList();
}

QString ScriptedPrompts::browseForFolder(QWidget*, const QString& prompt, const QString& startFolder)
{
    shown.append({QStringLiteral("folder"), prompt, prompt, startFolder, Icon::None});
    const auto answer = next(QStringLiteral("folder"), prompt);
    return answer ? answer->text : QString();
}

void ScriptedPrompts::openInFileManager(const QString& folder)
{
    openedFolders << folder;
}

QStringList ScriptedPrompts::messages() const
{
    QStringList texts;
    for (const auto& prompt : shown) {
        if (prompt.kind == QStringLiteral("message") || prompt.kind == QStringLiteral("results"))
            texts << prompt.text;
    }
    return texts;
}

} // namespace orvandel::test
