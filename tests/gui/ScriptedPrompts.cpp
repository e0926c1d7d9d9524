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
        if (prompt.kind == QStringLiteral("message"))
            texts << prompt.text;
    }
    return texts;
}

} // namespace orvandel::test
