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
    dialog.setOption(QFileDialog::DontUseNativeDialog);
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
    return QDir::cleanPath(chosen.absoluteFilePath());
}

} // namespace orvandel
