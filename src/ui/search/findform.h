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

    // Controls (tests drive these). The handlers below keep their historical names
    // (Button1Click is the Search button's, combo1Change the mask history's, ...).
    QLineEdit* maskEdit = nullptr;     // "Search for:"
    QComboBox* maskHistory = nullptr;  // the masks searched before
    QLineEdit* folderEdit = nullptr;   // "Search in:"
    QPushButton* browseButton = nullptr;
    QCheckBox* subfoldersBox = nullptr;
    QCheckBox* containingBox = nullptr;  // "Containing text:" and its text
    QLineEdit* containingEdit = nullptr;
    QCheckBox* sizeBox = nullptr;  // "Size range:", the KB, and min or max
    QLineEdit* sizeEdit = nullptr;
    QRadioButton* minButton = nullptr;
    QRadioButton* maxButton = nullptr;
    QCheckBox* dateBox = nullptr;  // "Modified between:" the two dates
    QLineEdit* fromDateEdit = nullptr;
    QLineEdit* toDateEdit = nullptr;
    QCheckBox* attributesBox = nullptr;  // "Attributes:" and the four kinds
    QCheckBox* archiveBox = nullptr;
    QCheckBox* systemBox = nullptr;
    QCheckBox* hiddenBox = nullptr;
    QCheckBox* readonlyBox = nullptr;
    QPushButton* searchButton = nullptr;  // &Search
    QPushButton* closeButton = nullptr;   // &Close, or Stop while searching
    QTreeView* resultsView = nullptr;
    QStatusBar* stb = nullptr;
    QMenu* resultsMenu = nullptr;

    FindResultsModel* results() const { return model_; }

    // The date format of the two date fields: the locale's short date, with the
    // year in four digits so a typed date is never read in the wrong century.
    static QString dateFormat();

public slots:
    void Button1Click();  // Search
    void Button2Click();  // Close, or Stop during a search
    void stopSearch();    // Stop and Escape: taken at once, "Stopping…" until the finder is back
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
    QTimer menuTimer_;  // context menu after a held right button
    QString savedCaption_;
    std::string startFolder_;  // bytes; the field shows it for display
    int rightClickRow_ = -1;
    bool rightButtonPopup_ = false;
    bool closing_ = false;
};

}  // namespace arbel::ui
