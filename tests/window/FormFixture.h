#pragma once

#include "ScriptedPrompts.h"
#include "settings/SettingsStore.h"
#include "window/CaptionProgressBar.h"
#include "window/Form1.h"
#include "window/list/FileListModel.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPoint>
#include <QSize>
#include <QTemporaryDir>
#include <memory>

namespace orvandel::test {

// A window with scripted prompts, its settings in a temporary file, its program folder and
// the user's home (with a Desktop folder) in temporary folders.
class FormFixture
{
public:
    FormFixture();
    ~FormFixture();

    // Makes a new window (the old one goes) and runs its start-up.
    Form1& start(bool thorough = false);
    Form1& form() { return *m_form; }

    // The file that `settings` keeps its values in.
    QString settingsPath() const;
    QString setting(const QString& key) const;
    bool hasSetting(const QString& key) const;
    void putSetting(const QString& key, const QString& value);

    // A file in the program folder, created with `bytes`.
    QString programFile(const QString& relative, const QByteArray& bytes);
    // Where a file of the program folder stands, without touching it; a pipe when `pipe` (a
    // folder on Windows).
    QString programPath(const QString& relative, bool pipe = false);
    // A file of `bytes` in the scratch folder; returns its full path.
    QString file(const QString& relative, const QByteArray& bytes);
    QString folder(const QString& relative);
    // The desktop folder as the output box first shows it, with its trailing separator: the
    // shell's on Windows ("C:\\users\\ann\\Desktop\\"), the home folder's elsewhere.
    QString desktop() const;

    template<class Child> Child* child(const char* name)
    {
        return m_form->findChild<Child*>(QString::fromLatin1(name));
    }

    ScriptedPrompts prompts;
    std::unique_ptr<SettingsStore> settings;
    std::optional<FetchSettings> fetch; // given to the window that start() makes

private:
    QTemporaryDir m_home;
    QTemporaryDir m_program;
    QTemporaryDir m_scratch;
    QByteArray m_oldHome;
    QByteArray m_oldConfigHome;
    std::unique_ptr<Form1> m_form;
};

// A path in the system's own form, as the window lists and shows paths: "C:\\a\\b.vcf" on
// Windows, unchanged elsewhere.
inline QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

inline QStringList Native(QStringList paths)
{
    for (QString& path : paths)
        path = Native(path);
    return paths;
}

// An icon file (a cursor file when `cursor`, with that hot spot) of one image of `size`, stored as
// PNG as icon files hold their large images: a few kilobytes for an image of 2048 x 2048.
QByteArray PngIconFile(QSize size, bool cursor = false, QPoint hotSpot = {});

// The window's controls that tests work with, found by their names.
inline QLineEdit* OutputBox(QWidget& form)
{
    return form.findChild<QLineEdit*>(QStringLiteral("Text1"));
}

inline CaptionProgressBar* ProgressBar(QWidget& form)
{
    return form.findChild<CaptionProgressBar*>(QStringLiteral("ProgressBar1"));
}

inline QAction* ThoroughAction(QWidget& form)
{
    return form.findChild<QAction*>(QStringLiteral("StartThoroughAction"));
}

// Appends every text to the list, as the commands that fill it do.
inline void AppendAll(FileListModel& list, const QStringList& texts)
{
    for (const QString& text : texts)
        list.append(text);
}

} // namespace orvandel::test
