#pragma once
// TFileListView: the four display styles of a file list over one model and
// one selection model. Large icons, small icons and list are list views in
// icon mode, left-to-right flow and top-to-bottom flow; report is a table
// with the columns and sortable headers. Right-button presses never change
// the selection here: they go to the owning window as signals. A drag carries the
// selected entries that are still on disk; drops are the owner's (setDrops).

#include <QListView>
#include <QStackedWidget>
#include <QTreeView>

#include "core/lists/file_entry.h"
#include "ui/app/file_drag.h"

class QAbstractItemView;
class QItemSelectionModel;

namespace arbel::ui {

class TFileList;
class WholeNames;
enum class DisplayStyle;

class TFileListView : public QStackedWidget {
    Q_OBJECT
public:
    explicit TFileListView(TFileList& model, QWidget* parent = nullptr);

    TFileList& model() const { return model_; }
    QItemSelectionModel* selectionModel() const { return selection_; }
    QAbstractItemView* currentView() const;
    QListView* listView() const { return list_; }
    QTreeView* reportView() const { return report_; }

    DisplayStyle displayStyle() const { return style_; }
    void setDisplayStyle(DisplayStyle style);

    // Selected rows in list order.
    std::vector<int> selectedRows() const;
    // Selects every entry, or only the files.
    void selectAll(bool filesOnly);
    void clearSelection();
    // Gives the first entry the focus mark without selecting it.
    void focusFirst();
    int rowAt(const QPoint& viewportPos) const;
    // Maps a point of this widget to the current view's viewport.
    QPoint toViewport(const QPoint& pos) const;
    // The full paths of the selected entries that exist on disk, in list order: what
    // a drag from the list carries.
    std::vector<std::string> dragPaths() const;
    // Drops on any of the styles; the points are the current view's viewport's.
    void setDrops(const FileDropHandling& handling);

signals:
    // Positions in this widget's coordinates.
    void rightPressed(QPoint pos);
    void rightReleased(QPoint pos);
    void rightDoubleClicked(QPoint pos);
    void mouseMoved(QPoint pos);
    void leftReleased(QPoint pos);
    void entryActivated(int row);  // double click or Enter
    void headerClicked(arbel::lists::FileInfo info);
    void selectionChangedByUser();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setupView(QAbstractItemView* view);
    void applyColumnWidths();

    TFileList& model_;
    QItemSelectionModel* selection_ = nullptr;
    FileItemView<QListView>* list_ = nullptr;
    FileItemView<QTreeView>* report_ = nullptr;
    WholeNames* wholeList_ = nullptr;
    DisplayStyle style_;
};

}  // namespace arbel::ui
