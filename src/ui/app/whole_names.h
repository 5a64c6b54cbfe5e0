#pragma once
// Names shown whole wherever there is room. The cells of a list view (list and
// small-icon styles) are as wide as its widest name, and chosen columns of a
// tree view as wide as their widest text. Only a view too narrow for them
// makes them share what is left, the text cut in the middle (the items'
// tooltips show it whole). Widths follow the model's rows as they come.

#include <QList>
#include <QObject>

class QAbstractItemModel;
class QAbstractItemView;
class QFontMetrics;
class QListView;
class QTreeView;
class QWidget;

namespace arbel::ui {

// The pixel width of the widest text of a model column among rows
// first..last. Big models are measured by their longest texts (in
// characters) only, which keeps a folder of 100,000 entries cheap.
int widestText(const QAbstractItemModel& model, int column, const QFontMetrics& metrics, int first, int last);

class WholeNames : public QObject {
    Q_OBJECT
public:
    // Fits the cells of a list view; off until setEnabled(true). Off, the items
    // fill the cells of the view's grid (set it first).
    explicit WholeNames(QListView* view);
    // Fits the given columns of a tree view; the others keep the widths they
    // have now (or that the user gives them).
    WholeNames(QTreeView* view, QList<int> columns);

    void setEnabled(bool on);
    bool isEnabled() const { return enabled_; }
    // Measures every row again (after a change of font or icon size).
    void remeasure();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchModel();
    void measure(int first, int last);
    // The width a cell of the column needs for text of the given width.
    int cellWidth(int column, int textWidth) const;
    void apply();
    void applyList();
    void applyColumns();

    QAbstractItemView* view_;
    QWidget* viewport_ = nullptr;
    QObject* delegate_ = nullptr;  // list views: sizes the items
    QListView* list_ = nullptr;
    QTreeView* tree_ = nullptr;
    QList<int> columns_;
    QList<int> widest_;      // per fitted column, the text's pixels
    QList<bool> userSized_;  // a column the user has sized keeps that size
    bool enabled_ = false;
    bool applying_ = false;
};

}  // namespace arbel::ui
