#include "FileListModel.h"

#include "PathText.h"

#include <QPixmap>
#include <QTimer>
#include <stdexcept>

namespace orvandel {

FileListModel::FileListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

const FileListModel::Item& FileListModel::item(int position) const
{
    if (position < 1 || position > count())
        throw std::out_of_range("Index out of bounds");
    return m_items[static_cast<std::size_t>(position - 1)];
}

FileListModel::Item& FileListModel::item(int position)
{
    if (position < 1 || position > count())
        throw std::out_of_range("Index out of bounds");
    return m_items[static_cast<std::size_t>(position - 1)];
}

const QString& FileListModel::text(int position) const
{
    return item(position).text;
}

void FileListModel::changed(int position)
{
    if (position <= m_shown) {
        const QModelIndex index = this->index(position - 1);
        emit dataChanged(index, index);
    }
}

void FileListModel::setText(int position, const QString& text)
{
    item(position).text = text;
    changed(position);
}

void FileListModel::swapItems(int first, int second)
{
    std::swap(item(first), item(second));
    changed(first);
    changed(second);
}

void FileListModel::append(const QString& text)
{
    m_items.push_back({text, m_nextId++, std::nullopt});
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
    m_anyOutcome = false;
    endResetModel();
}

QStringList FileListModel::texts() const
{
    QStringList texts;
    texts.reserve(count());
    for (const Item& each : m_items)
        texts << each.text;
    return texts;
}

FileListModel::ItemId FileListModel::idAt(int position) const
{
    return item(position).id;
}

int FileListModel::positionOf(ItemId id, int hint) const
{
    if (hint >= 1 && hint <= count() && m_items[static_cast<std::size_t>(hint - 1)].id == id)
        return hint;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].id == id)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

void FileListModel::setOutcome(ItemId id, const ItemOutcome& outcome, int hint)
{
    const int position = positionOf(id, hint);
    if (position == 0)
        return;
    item(position).outcome = outcome;
    if (!m_anyOutcome) {
        // Every item takes the icon's place now, so that the texts stay in line.
        m_anyOutcome = true;
        if (m_shown > 0)
            emit dataChanged(index(0), index(m_shown - 1), {Qt::DecorationRole});
    }
    changed(position);
}

const std::optional<ItemOutcome>& FileListModel::outcome(int position) const
{
    return item(position).outcome;
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

namespace {

    // A transparent image of the outcome icons' size, for items that no run has reached.
    const QIcon& BlankIcon()
    {
        static const QIcon blank = [] {
            QPixmap pixmap(16, 16);
            pixmap.fill(Qt::transparent);
            return QIcon(pixmap);
        }();
        return blank;
    }

} // namespace

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown)
        return {};
    const Item& shown = m_items[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return PathForDisplay(shown.text);
    case Qt::DecorationRole:
        if (shown.outcome)
            return shown.outcome->icon;
        return m_anyOutcome ? QVariant(BlankIcon()) : QVariant();
    case Qt::ToolTipRole:
        // Without an outcome the list's own hint shows.
        return shown.outcome ? QVariant(PathForDisplay(shown.outcome->toolTip)) : QVariant();
    default:
        return {};
    }
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
