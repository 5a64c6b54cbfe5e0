#pragma once
// Tren: renames one item (a file or a folder) in its own folder, never replacing
// anything, and keeps the tree and the windows on it and on its folder in step.
// Enter renames and closes; Ctrl+Enter (or a right click on Rename) stays open.
// On a volume (a mount point selected in the tree, or Label Disk) the same dialog
// changes the volume's label through the disk service instead: caption "Volume Label
// of " + mount point.

#include <string>
#include "ui/app/operation_dialog.h"

#include "ui/ops/dialog_source.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace arbel::ui {

class Tmdimain;

class Tren : public OperationDialog {
    Q_OBJECT
public:
    enum class Mode { Rename, VolumeLabel };
    // oldPath: the item to rename (RenameTarget), or the mount point of the volume.
    Tren(Tmdimain& frame, DialogSource source, std::string oldPath, Mode mode = Mode::Rename);
    static Tren* open(Tmdimain& frame);
    // The volume-label dialog for the volume mounted at mountPoint.
    static Tren* openVolumeLabel(Tmdimain& frame, const std::string& mountPoint);

    Mode mode() const { return mode_; }
    const std::string& target() const { return old_; }
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    void confirm() override { Button1Click(); }

public slots:
    void Button1Click();

private:
    void labelVolume();

    DialogSource source_;
    std::string old_;
    Mode mode_;
    std::string shownLabel_;  // the label as read, bytes as stored
};

}  // namespace arbel::ui
