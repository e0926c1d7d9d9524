#include "QtPrompts.h"

#include "OpenFilesDialog.h"
#include "filelist/BrowseForFolder.h"

#include <QDesktopServices>
#include <QInputDialog>
#include <QMessageBox>
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
