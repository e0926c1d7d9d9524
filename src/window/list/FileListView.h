#pragma once

#include <QCursor>
#include <QPersistentModelIndex>
#include <QTreeView>
#include <functional>
#include <optional>

namespace orvandel {

class FileListModel;

// The list of input files: one column, removal by Delete and double-click (refused while the
// window is busy), and a reorder drag that carries the clicked item's text along by swapping
// it with the item under the pointer.
class FileListView : public QTreeView
{
    Q_OBJECT

public:
    explicit FileListView(QWidget* parent = nullptr);

    void setFileList(FileListModel* list);
    FileListModel* fileList() const { return m_list; }

    // Asked before every removal; removal does nothing while it answers true.
    void setBusyTest(std::function<bool()> isBusy) { m_isBusy = std::move(isBusy); }
    // The pointer while an item is carried along; the standard one without it.
    void setDragCursor(std::optional<QCursor> cursor) { m_dragCursor = std::move(cursor); }

    // The 1-based position of the selected item, or 0 when none is selected.
    int selectedPosition() const;
    void selectPosition(int position);

    // The reorder drag's state, for whoever wants to look.
    bool listMouseDown() const { return m_listMouseDown; }
    int draggedPosition() const;

signals:
    // The mouse moved over the list (the window resets its pointer).
    void mouseMovedOverList();
    // Files and folders were dropped on the list: their local paths, in the order dropped.
    void pathsDropped(const QStringList& paths);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void removeSelected();
    void itemClicked();
    void scrollAtEdge(int hitPosition, int pointerY);
    void scrollOneRow(int direction); // -1 up, 1 down

    FileListModel* m_list = nullptr;
    std::function<bool()> m_isBusy;
    std::optional<QCursor> m_dragCursor;
    bool m_listMouseDown = false;
    QPersistentModelIndex m_draggedItem;
};

} // namespace orvandel
