#pragma once
// Tfindform: the modeless "Search for Files" window. The user gives a mask, a
// start folder and optional filters; the search runs on a worker thread and
// streams its results into the list while the window stays usable; Stop or
// Escape ends it. While the window exists, file commands (copy, move, delete,
// rename, attributes) take their items from the selected results. It stays on
// top of the frame as a tool window of its own, not a child inside it.

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

#include "core/ops/item_gathering.h"
#include "core/search/find_form.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTreeView;

namespace arbel::ui {

class Tmdimain;
class FindJob;
class FindResultsModel;

class Tfindform : public QWidget {
    Q_OBJECT
public:
    // The one search window of the frame, or null.
    static Tfindform* instance();
    // Opens the search window (or brings the open one forward) with the start
    // folder taken from the active child window.
    static Tfindform* open(Tmdimain& frame);

    explicit Tfindform(Tmdimain& frame, const std::string& startFolder);
    ~Tfindform() override;

    // The selected results as full paths (bytes), in list order: the items of a
    // file command while FromSearch is set.
    std::vector<std::string> selectedPaths() const;
    // The same as rows for the file dialogs' item gathering (ops::GatherFrom::Search).
    std::vector<ops::SearchRow> selectedRows() const;
    // The result with the keyboard focus (opened by Enter), or empty.
    std::string focusedPath() const;
    bool searching() const;
    // After a move or delete from the results: selected rows whose file no longer
    // exists leave the list. Returns how many left.
    int dropVanishedRows();
    // After a rename of a result: its row shows the new name.
    void renameResult(const std::string& oldPath, const std::string& newName);
    std::string startFolder() const;
    void setStartFolder(const std::string& folder);

    // Controls, named as the window has always named them (tests drive these).
    QLineEdit* Edit2 = nullptr;              // "Search for:" mask
    QComboBox* combo1 = nullptr;             // mask history
    QLineEdit* DirectoryListBox1 = nullptr;  // "Search in:" folder
    QPushButton* browseButton = nullptr;
    QCheckBox* CheckBox3 = nullptr;  // search subfolders
    QCheckBox* CheckBox4 = nullptr;  // Containing text:
    QLineEdit* Edit1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;  // Size range:
    QLineEdit* Edit3 = nullptr;
    QRadioButton* RadioButton2 = nullptr;  // min
    QRadioButton* RadioButton1 = nullptr;  // max
    QCheckBox* CheckBox2 = nullptr;        // Modified between:
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QCheckBox* CheckBox9 = nullptr;  // Attributes:
    QCheckBox* CheckBox8 = nullptr;  // archive
    QCheckBox* CheckBox7 = nullptr;  // system
    QCheckBox* CheckBox5 = nullptr;  // hidden
    QCheckBox* CheckBox6 = nullptr;  // readonly
    QPushButton* Button1 = nullptr;  // &Search
    QPushButton* Button2 = nullptr;  // &Close / Stop
    QTreeView* ListBox1 = nullptr;
    QStatusBar* stb = nullptr;
    QMenu* PopupMenu1 = nullptr;

    FindResultsModel* results() const { return model_; }

    // The date format of the two date fields: the locale's short date, with the
    // year in four digits so a typed date is never read in the wrong century.
    static QString dateFormat();

public slots:
    void Button1Click();  // Search
    void Button2Click();  // Close, or Stop during a search
    void combo1Change(int index);
    void DirectoryListBox1Change();
    void ListBox1DblClick();
    void ListBox1Change();

signals:
    // A search ended and the list holds all its rows.
    void searchFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void loadHistory();
    search::FindRequest request() const;
    void drainResults();
    void searchDone(bool completed);
    void updateEnabling();
    void Timer1Timer();
    void PopupMenu1Popup();

    Tmdimain& frame_;
    FindResultsModel* model_ = nullptr;
    FindJob* job_ = nullptr;
    QTimer Timer1;  // context menu after a held right button
    QString savedCaption_;
    std::string startFolder_;  // bytes; the field shows it for display
    int rightClickRow_ = -1;
    bool rightButtonPopup_ = false;
    bool closing_ = false;
};

}  // namespace arbel::ui
