#pragma once

#include <QFileDialog>

class QFileSystemModel;

namespace orvandel {

// The file dialog of "Add VCF File(s)". Several files of one folder can be picked with Ctrl or
// Shift, a name typed into the name box is taken as typed whether or not such a file exists, a
// typed pattern such as "*.*" shows the folder's files that match it, whatever the filter, and a
// typed folder is opened.
class OpenFilesDialog : public QFileDialog
{
    Q_OBJECT

public:
    // Each filter is a text as shown, its patterns in brackets: "vCard Files (*.vcf, *.vcard)".
    OpenFilesDialog(QWidget* owner, const QString& title, const QStringList& filters);

    // The files picked when the dialog was accepted, full paths in the dialog's order.
    const QStringList& pickedFiles() const { return m_picked; }

protected:
    void accept() override;

private:
    QFileSystemModel* m_model = nullptr;
    QStringList m_picked;
};

} // namespace orvandel
