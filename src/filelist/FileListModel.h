#pragma once

#include <QAbstractListModel>
#include <QString>
#include <vector>

namespace orvandel {

// The input files of the next run, one item per file, in the order the run takes them. Its
// operations (count, text, append, ...) always see every item at once; the view is told of
// appended items in batches, so that adding 100,000 files stays quick.
class FileListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit FileListModel(QObject* parent = nullptr);

    // Positions are 1-based, as the commands count them.
    int count() const noexcept { return static_cast<int>(m_items.size()); }
    const QString& text(int position) const;
    void setText(int position, const QString& text);
    void append(const QString& text);
    void appendMany(const QStringList& texts);
    void removeAt(int position);
    void clear();
    QStringList texts() const;

    // Tells the view of every item appended so far.
    void flush();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setHeaderText(const QString& text);

private:
    void scheduleFlush();

    std::vector<QString> m_items;
    int m_shown = 0; // the items the view has been told of
    bool m_flushScheduled = false;
    QString m_header;
};

// True when an item's text equals `text` exactly: case counts, nothing is trimmed.
bool ListContainsText(const FileListModel& list, const QString& text);

} // namespace orvandel
