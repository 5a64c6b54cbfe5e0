#pragma once
// Format Disk: the refusals of TFormatDrive first (off the interface thread: asking
// whether a medium is in may wait for the disk service), then Arbel's own
// confirmation (file system, label, quick or full), then the format itself on a
// background job. The design left the user's consent to the shell's dialog; here
// nothing is erased before the user pressed Format in this one.

#include <memory>
#include <string>

#include "core/volumes/format_drive.h"
#include "ui/app/operation_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace arbel::ui {

class Tmdimain;

// The Format Disk command for the volume mounted at mountPoint (already known to
// exist): checks, asks, formats, refreshes.
void startFormatDisk(Tmdimain& frame, const std::string& mountPoint);

// After a successful format of the volume that was at oldMountPoint (now at
// newMountPoint, or the same place): the tree rereads its volumes and every file
// window on the volume rereads with the "format" signal.
void volumeFormatted(Tmdimain& frame, const std::string& oldMountPoint, const std::string& newMountPoint,
                     const std::string& label);

class Tformat : public OperationDialog {
    Q_OBJECT
public:
    // format: the checked TFormatDrive of the volume (its check() passed).
    Tformat(Tmdimain& frame, std::shared_ptr<volumes::TFormatDrive> format);

    QLabel* Label1 = nullptr;
    QComboBox* FileSystem = nullptr;
    QLineEdit* LabelEdit = nullptr;
    QCheckBox* QuickBox = nullptr;
    QPushButton* FormatButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void confirm() override { FormatButtonClick(); }
    FormatRequest chosen() const;

public slots:
    void FormatButtonClick();

private:
    void formatEnded(bool formatted, int code, const std::string& message, const std::string& newMountPoint);
    void setControlsEnabled(bool on);

    std::shared_ptr<volumes::TFormatDrive> format_;
    std::string mountPoint_;
};

}  // namespace arbel::ui
