#include "FileListView.h"

#include "FileListModel.h"
#include "PathText.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

namespace orvandel {

FileListView::FileListView(QWidget* parent)
    : QTreeView(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Items never leave the list by drag and drop; moving with a held button reorders instead.
    setDragEnabled(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    setMouseTracking(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

namespace {

    // The path of a local file's address. The address carries the name's bytes percent-encoded;
    // they are taken as they are, so that a name that is not UTF-8 keeps its bytes.
    QString LocalPath(const QUrl& url)
    {
#if defined(_WIN32)
        return QDir::toNativeSeparators(url.toLocalFile());
#else
        if (!url.host().isEmpty())
            return url.toLocalFile(); // a network path: //server/share/...
        const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        return PathFromBytes(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
#endif
    }

    // The local files and folders that dragged data carries; none for text, web links and the like.
    QStringList LocalPaths(const QMimeData* data)
    {
        QStringList paths;
        if (!data || !data->hasUrls())
            return paths;
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile() && !url.toLocalFile().isEmpty())
                paths << LocalPath(url);
        }
        return paths;
    }

} // namespace

void FileListView::setFileList(FileListModel* list)
{
    m_list = list;
    setModel(list);
}

int FileListView::selectedPosition() const
{
    const QModelIndexList selected = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return selected.isEmpty() ? 0 : selected.constFirst().row() + 1;
}

void FileListView::selectPosition(int position)
{
    if (!m_list)
        return;
    m_list->flush();
    const QModelIndex index = m_list->index(position - 1);
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int FileListView::draggedPosition() const
{
    return m_draggedItem.isValid() ? m_draggedItem.row() + 1 : 0;
}

void FileListView::removeSelected()
{
    if ((m_isBusy && m_isBusy()) || !m_list || m_list->count() == 0)
        return;
    const int position = selectedPosition();
    if (position > 0)
        m_list->removeAt(position);
}

void FileListView::keyPressEvent(QKeyEvent* event)
{
    // Shift and Ctrl do not matter: every Delete removes one item.
    if (event->key() == Qt::Key_Delete) {
        removeSelected();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The double-click's first click has selected the item under the pointer already.
    removeSelected();
    event->accept();
}

void FileListView::itemClicked()
{
    if (m_dragCursor)
        viewport()->setCursor(*m_dragCursor);
    const int position = selectedPosition();
    m_draggedItem
        = position > 0 ? QPersistentModelIndex(m_list->index(position - 1)) : QPersistentModelIndex();
}

void FileListView::mousePressEvent(QMouseEvent* event)
{
    QTreeView::mousePressEvent(event);
    if (m_list && indexAt(event->position().toPoint()).isValid())
        itemClicked();
    m_listMouseDown = true;
}

void FileListView::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMovedOverList();
    if (!m_listMouseDown || !m_list) {
        QTreeView::mouseMoveEvent(event);
        return;
    }
    event->accept();
    const QPoint point = event->position().toPoint();
    const QModelIndex hit = indexAt(point);
    // An item removed since it was clicked is carried no more.
    if (!m_draggedItem.isValid() || !hit.isValid())
        return;
    const int from = m_draggedItem.row() + 1;
    const int to = hit.row() + 1;
    const QString carried = m_list->text(from);
    if (m_list->text(to) == carried)
        return;
    // The whole item travels: its outcome of the last run goes with its text.
    m_list->swapItems(from, to);
    // Selecting the item would scroll it wholly into view; only the edge rule scrolls here.
    const bool autoScrolls = hasAutoScroll();
    setAutoScroll(false);
    selectPosition(to);
    setAutoScroll(autoScrolls);
    m_draggedItem = QPersistentModelIndex(m_list->index(to - 1));
    scrollAtEdge(to, point.y());
}

void FileListView::scrollAtEdge(int hitPosition, int pointerY)
{
    // Near the list's own top or bottom row the list scrolls, so the item can travel beyond
    // what is shown. It scrolls one row per swap, whichever way: bringing the next item wholly
    // into view would scroll two rows when the bottom row shows only in part, and the pointer
    // would then skip the item in between.
    const QModelIndex top = indexAt(QPoint(1, 1));
    const QModelIndex bottom = indexAt(QPoint(1, viewport()->height() - 2));
    if (top.isValid() && pointerY <= visualRect(top).bottom() && hitPosition > 1)
        scrollOneRow(-1);
    else if (bottom.isValid() && pointerY >= visualRect(bottom).top() && hitPosition < m_list->count())
        scrollOneRow(1);
}

void FileListView::scrollOneRow(int direction)
{
    m_list->flush();
    const int row = verticalScrollMode() == QAbstractItemView::ScrollPerItem
        ? 1
        : std::max(1, visualRect(m_list->index(0)).height());
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + direction * row);
}

void FileListView::dragEnterEvent(QDragEnterEvent* event)
{
    // Only files and folders may be dropped; anything else shows the no-drop pointer.
    if (LocalPaths(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (LocalPaths(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileListView::dropEvent(QDropEvent* event)
{
    const QStringList paths = LocalPaths(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit pathsDropped(paths);
}

void FileListView::mouseReleaseEvent(QMouseEvent* event)
{
    m_listMouseDown = false;
    viewport()->setCursor(Qt::ArrowCursor);
    QTreeView::mouseReleaseEvent(event);
}

} // namespace orvandel
