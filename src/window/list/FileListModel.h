#pragma once

#include <QAbstractListModel>
#include <QIcon>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvandel {

// How the last run that reached an item ended for it, as the list shows it: an icon and a tooltip.
struct ItemOutcome
{
    enum class Kind
    {
        Written,
        NoPhoto,
        Failed,
    };
    Kind kind = Kind::NoPhoto;
    QIcon icon;
    QString toolTip;
};

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
    // Swaps two items whole: texts and outcomes change places.
    void swapItems(int first, int second);
    void append(const QString& text);
    void removeAt(int position);
    void clear();
    QStringList texts() const;

    // Every item keeps its own number for its life, whatever its position: a run that reads an
    // item tells its outcome to that item, even when the list was reordered meanwhile.
    using ItemId = std::uint64_t;
    ItemId idAt(int position) const;
    // The item's position, or 0 when it has gone. `hint` is where it was last seen.
    int positionOf(ItemId id, int hint = 0) const;
    // Sets the outcome of the item `id`; nothing happens when it has gone.
    void setOutcome(ItemId id, const ItemOutcome& outcome, int hint = 0);
    const std::optional<ItemOutcome>& outcome(int position) const;

    // Tells the view of every item appended so far.
    void flush();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setHeaderText(const QString& text);

private:
    void scheduleFlush();

    struct Item
    {
        QString text;
        ItemId id = 0;
        std::optional<ItemOutcome> outcome;
    };
    const Item& item(int position) const;
    Item& item(int position);
    void changed(int position);

    std::vector<Item> m_items;
    ItemId m_nextId = 1;
    bool m_anyOutcome = false; // items without one then keep a blank place for the icon
    int m_shown = 0; // the items the view has been told of
    bool m_flushScheduled = false;
    QString m_header;
};

// True when an item's text equals `text` exactly: case counts, nothing is trimmed.
bool ListContainsText(const FileListModel& list, const QString& text);

} // namespace orvandel
