#include "QtPrompts.h"

#include "filelist/BrowseForFolder.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>
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

QStringList QtPrompts::openFileNames(QWidget* owner, const QString& title, const QString& filter)
{
    // Qt reads a filter's patterns as the words inside its brackets, so "(*.vcf, *.vcard)"
    // would look for names ending in "vcf,". The dialog filters by the patterns alone and
    // shows the filter's text as it is written.
    const auto match = QRegularExpression(QStringLiteral("\\(([^)]*)\\)\\s*$")).match(filter);
    const QStringList patterns
        = (match.hasMatch() ? match.captured(1) : filter)
              .split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts);
    const QString name = filter.left(filter.indexOf(QLatin1Char('('))).trimmed();

    QFileDialog dialog(owner, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(name + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    if (auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        types && types->count() == 1)
        types->setItemText(0, filter);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
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
