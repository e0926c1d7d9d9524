#include "OpenFilesDialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QRegularExpression>

namespace orvandel {

namespace {

    // The patterns of a filter text: the words inside its last brackets, however they are
    // separated ("*.vcf, *.vcard" gives *.vcf and *.vcard); the whole text without brackets.
    QStringList FilterPatterns(const QString& filter)
    {
        const auto bracketed = QRegularExpression(QStringLiteral("\\(([^()]*)\\)\\s*$")).match(filter);
        return (bracketed.hasMatch() ? bracketed.captured(1) : filter)
            .split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts);
    }

    // True when the typed text is a pattern rather than names: it holds "*" or "?" and no quotes.
    bool IsPattern(const QString& typed)
    {
        return !typed.contains(QLatin1Char('"'))
            && (typed.contains(QLatin1Char('*')) || typed.contains(QLatin1Char('?')));
    }

    // "*.*" stands for every file, also those whose names have no dot.
    QStringList ShownBy(const QString& typed)
    {
        QStringList patterns = FilterPatterns(typed);
        for (QString& pattern : patterns) {
            if (pattern == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        }
        return patterns;
    }

} // namespace

OpenFilesDialog::OpenFilesDialog(QWidget* owner, const QString& title, const QStringList& filters)
    : QFileDialog(owner, title)
{
    setOption(QFileDialog::DontUseNativeDialog);
    // In the modes for existing files Qt refuses a typed name that names no file; this mode
    // takes any name, and the views are given back their selection of several files.
    setFileMode(QFileDialog::AnyFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    for (auto* view : findChildren<QAbstractItemView*>()) {
        if (view->objectName() == QStringLiteral("listView")
            || view->objectName() == QStringLiteral("treeView"))
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    m_model = findChild<QFileSystemModel*>();

    // Qt reads a filter's patterns as the words inside its brackets, so "(*.vcf, *.vcard)"
    // would look for names ending in "vcf,". The dialog filters by the patterns alone and shows
    // each filter's text as it is written.
    QStringList cleaned;
    for (const QString& filter : filters) {
        const QString name = filter.left(filter.indexOf(QLatin1Char('('))).trimmed();
        cleaned << name + QStringLiteral(" (") + FilterPatterns(filter).join(QLatin1Char(' '))
                + QLatin1Char(')');
    }
    setNameFilters(cleaned);
    if (auto* types = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        types && types->count() == filters.size()) {
        for (int i = 0; i < filters.size(); ++i)
            types->setItemText(i, filters.at(i));
    }
}

void OpenFilesDialog::accept()
{
    auto* nameBox = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString typed = nameBox ? nameBox->text().trimmed() : QString();
    if (IsPattern(typed)) {
        // The filter stays chosen; the folder shows what the pattern matches until another
        // filter is chosen.
        if (m_model)
            m_model->setNameFilters(ShownBy(typed));
        nameBox->clear();
        return;
    }
    const QStringList chosen = selectedFiles();
    if (chosen.size() == 1 && QFileInfo(chosen.constFirst()).isDir()) {
        setDirectory(chosen.constFirst());
        if (nameBox)
            nameBox->clear();
        return;
    }
    // Folders among several picked files are left out; nothing is checked of the files.
    QStringList files;
    for (const QString& path : chosen) {
        if (chosen.size() == 1 || !QFileInfo(path).isDir())
            files << path;
    }
    if (files.isEmpty())
        return;
    m_picked = files;
    QDialog::accept();
}

} // namespace orvandel
