#include "QtPrompts.h"

#include "OpenFilesDialog.h"
#include "ProblemListDialog.h"
#include "window/list/BrowseForFolder.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace orvandel {

QString WithPlainLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void QtPrompts::message(QWidget* owner, const QString& title, const QString& text, Icon icon)
{
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                    WithPlainLineBreaks(text), QMessageBox::Ok, owner);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

Prompts::ResultsButton
QtPrompts::results(QWidget* owner, const QString& title, const QString& text, const QString& informative)
{
    QMessageBox box(QMessageBox::NoIcon, title, WithPlainLineBreaks(text), QMessageBox::Ok, owner);
    box.setInformativeText(WithPlainLineBreaks(informative));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPushButton* openFolder = box.addButton(QStringLiteral("Open Folder"), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    // The results are one line, and stay one.
    if (auto* line = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        line->setWordWrap(false);
    box.exec();
    return box.clickedButton() == openFolder ? ResultsButton::OpenFolder : ResultsButton::Ok;
}

void QtPrompts::problemList(QWidget* owner,
                            const QString& title,
                            const QString& heading,
                            const QList<RunProblem>& problems,
                            const std::function<void()>& save)
{
    ProblemListDialog dialog(owner, title, heading, problems, save);
    dialog.exec();
}

QString QtPrompts::saveFileName(QWidget* owner,
                                const QString& title,
                                const QString& suggested,
                                const QString& filters)
{
    return QFileDialog::getSaveFileName(owner, title, suggested, filters);
}

bool QtPrompts::askYesNo(QWidget* owner, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, WithPlainLineBreaks(text), QMessageBox::Yes | QMessageBox::No,
                    owner);
    return box.exec() == QMessageBox::Yes;
}

QString
QtPrompts::inputText(QWidget* owner, const QString& title, const QString& label, const QString& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(owner, title, WithPlainLineBreaks(label), QLineEdit::Normal,
                                               defaultText, &ok);
    return ok ? text : QString();
}

QStringList QtPrompts::openFileNames(QWidget* owner, const QString& title, const QString& filters)
{
#if defined(Q_OS_WIN)
    // Windows's own open dialog, which takes typed names and several files of one folder itself.
    QStringList picked = QFileDialog::getOpenFileNames(owner, title, {}, filters);
    for (QString& path : picked)
        path = QDir::toNativeSeparators(path);
    return picked;
#endif
    OpenFilesDialog dialog(owner, title, filters.split(QStringLiteral(";;"), Qt::SkipEmptyParts));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.pickedFiles();
}

QString QtPrompts::browseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder)
{
    return BrowseForFolder(owner, prompt, startFolder);
}

void QtPrompts::openInFileManager(const QString& folder)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

} // namespace orvandel
