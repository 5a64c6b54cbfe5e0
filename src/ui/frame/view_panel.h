#pragma once
// The view controls at the right end of the tool bar: show/hide folders, the
// sort-order menu button, the four display styles and the file filter. While
// the tree window is active a disabled copy stands in their place (dimem);
// a file window brings the live ones back (onem).

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QMenu;
class QStackedWidget;
class QToolButton;

namespace arbel::ui {

enum class DisplayStyle { Large = 0, Small = 1, List = 2, Report = 3 };

class ViewPanel : public QWidget {
    Q_OBJECT
public:
    explicit ViewPanel(QWidget* parent = nullptr);

    // Live controls under their historic names.
    QToolButton* shdirs = nullptr;        // "Show/Hide Folders", toggle
    QToolButton* SpeedButton1 = nullptr;  // "Sort Order", opens PopupMenu1
    QToolButton* lrgicobut = nullptr;
    QToolButton* smallicobut = nullptr;
    QToolButton* listbut = nullptr;
    QToolButton* detailsbut = nullptr;
    QComboBox* maskbox = nullptr;   // "File Filter"
    QLineEdit* maskedit = nullptr;  // the filter box's text field
    QMenu* PopupMenu1 = nullptr;    // sort order: Name, Ext, Size, Attribs, Date, -, Reverse
    QButtonGroup* displayGroup = nullptr;

    void showDisabledCopy();  // dimem
    void showLiveControls();  // onem
    bool disabledCopyShown() const;

    // The style button that is down.
    DisplayStyle displayStyle() const;
    void setDisplayStyle(DisplayStyle style);
    // Shows the filter text; maroon when it differs from "*.*".
    void setFilterText(const QString& filter);

signals:
    void displayStyleChosen(arbel::ui::DisplayStyle style);

private:
    QStackedWidget* stack_ = nullptr;
    QWidget* live_ = nullptr;
    QWidget* Panel1 = nullptr;  // the disabled copy
};

}  // namespace arbel::ui
