#include "FileListModel.h"

#include <QTimer>
#include <stdexcept>

namespace orvandel {

FileListModel::FileListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

const QString& FileListModel::text(int position) const
{
    if (position < 1 || position > count())
        throw std::out_of_range("Index out of bounds");
    return m_items[static_cast<std::size_t>(position - 1)];
}

void FileListModel::setText(int position, const QString& text)
{
    if (position < 1 || position > count())
        throw std::out_of_range("Index out of bounds");
    m_items[static_cast<std::size_t>(position - 1)] = text;
    if (position <= m_shown) {
        const QModelIndex changed = index(position - 1);
        emit dataChanged(changed, changed, {Qt::DisplayRole});
    }
}

void FileListModel::append(const QString& text)
{
    m_items.push_back(text);
    scheduleFlush();
}

void FileListModel::appendMany(const QStringList& texts)
{
    m_items.insert(m_items.end(), texts.begin(), texts.end());
    scheduleFlush();
}

void FileListModel::removeAt(int position)
{
    if (position < 1 || position > count())
        throw std::out_of_range("Index out of bounds");
    flush();
    beginRemoveRows({}, position - 1, position - 1);
    m_items.erase(m_items.begin() + (position - 1));
    m_shown = count();
    endRemoveRows();
}

void FileListModel::clear()
{
    beginResetModel();
    m_items.clear();
    m_shown = 0;
    endResetModel();
}

QStringList FileListModel::texts() const
{
    return QStringList(m_items.begin(), m_items.end());
}

void FileListModel::scheduleFlush()
{
    if (m_flushScheduled)
        return;
    m_flushScheduled = true;
    QTimer::singleShot(0, this, &FileListModel::flush);
}

void FileListModel::flush()
{
    m_flushScheduled = false;
    if (m_shown >= count())
        return;
    beginInsertRows({}, m_shown, count() - 1);
    m_shown = count();
    endInsertRows();
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown)
        return {};
    if (role == Qt::DisplayRole)
        return m_items[static_cast<std::size_t>(index.row())];
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header;
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

void FileListModel::setHeaderText(const QString& text)
{
    m_header = text;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

bool ListContainsText(const FileListModel& list, const QString& text)
{
    for (int position = 1; position <= list.count(); ++position) {
        if (list.text(position) == text)
            return true;
    }
    return false;
}

} // namespace orvandel
