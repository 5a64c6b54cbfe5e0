#pragma once
// Tattrib ("Change Attributes", stays on top): the read-only, archive, system and
// hidden flags of the items of the active window (tree, folder windows, the auto
// window, the search results) and the modification time of its files. A flag on
// which the items disagree shows mixed and stays as each item has it unless
// clicked. The typed time is checked before anything is touched; the change runs
// in the background and its finished run is handled in applyRun().

#include <QCheckBox>
#include <string>
#include <vector>

#include "core/ops/attrib_edit.h"
#include "core/ops/time_field.h"
#include "ui/app/operation_dialog.h"
#include "ui/ops/dialog_source.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace arbel::ui {

class Tmdimain;

// A three-state box the mouse and the space bar never put into the mixed state:
// unchecked -> checked -> unchecked, and mixed -> unchecked.
class TriStateBox : public QCheckBox {
    Q_OBJECT
public:
    TriStateBox(const QString& text, QWidget* parent);
    ops::BoxState boxState() const;
    void setBoxState(ops::BoxState state);

protected:
    void nextCheckState() override;
};

class Tattrib : public OperationDialog {
    Q_OBJECT
public:
    Tattrib(Tmdimain& frame, DialogSource source);
    static Tattrib* open(Tmdimain& frame);

    // The user's short date and time, as the time field reads and writes them.
    static ops::DateTimeFormat localeFormat();

    const ops::AttribView& view() const { return view_; }
    ops::Boxes boxes() const;

    // Controls (tests drive them).
    TriStateBox* Readonlycheck = nullptr;
    TriStateBox* archivecheck = nullptr;
    TriStateBox* systemcheck = nullptr;
    TriStateBox* hiddencheck = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button3 = nullptr;  // &Now
    QPushButton* Button1 = nullptr;  // &Change
    QPushButton* Button2 = nullptr;  // Close

    void confirm() override { Button1Click(); }

    // Everything that follows a finished run: the failures told in one box, the
    // search results and the windows on the affected folders brought up to
    // date, and the dialog closed unless a time stopped the run. The one place
    // a finished run is handled.
    void applyRun(const ops::AttribRun& run);

public slots:
    void Button1Click();
    void Button3Click();

private:
    // The folders whose listings show the changed items, each once.
    std::vector<std::string> affectedFolders(const ops::AttribRun& run) const;

    DialogSource source_;
    std::vector<std::string> paths_;
    ops::AttribView view_;
    QString initialTime_;  // what the time field showed when the dialog opened
};

}  // namespace arbel::ui
