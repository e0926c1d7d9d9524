#include "BrowseForFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace orvandel {

QString BrowseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder)
{
    QFileDialog dialog(owner, prompt);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
#if !defined(Q_OS_WIN)
    // Windows shows its own folder picker; elsewhere Qt's, the same on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
#endif
    dialog.setLabelText(QFileDialog::LookIn, prompt);
    if (!startFolder.isEmpty() && QFileInfo(startFolder).isDir()) {
        // Open on the start folder's parent with the start folder selected.
        const QDir start(startFolder);
        QDir parent = start;
        if (parent.cdUp()) {
            dialog.setDirectory(parent);
            dialog.selectFile(start.absolutePath());
        } else {
            dialog.setDirectory(start);
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QFileInfo chosen(dialog.selectedFiles().constFirst());
    if (!chosen.isDir())
        return {};
    return PickedFolderPath(chosen.absoluteFilePath());
}

QString PickedFolderPath(const QString& selected)
{
    // cleanPath keeps the separator of a root ("/", "C:/") and drops any other trailing one.
    return QDir::toNativeSeparators(QDir::cleanPath(selected));
}

} // namespace orvandel
