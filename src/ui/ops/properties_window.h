#pragma once
// Arbel's properties window for one item: name, kind, location, size (a
// folder's counted in the background), owner and group, the permission bits
// (editable by the owner), the four times, a link's target, the volume and its
// free space, and the checksum section. The facts are read on a background job:
// a stat of a dead network mount must not freeze the frame. Each window lives
// on its own, like the sheet it replaces; it is no command dialog.

#include <QDialog>
#include <QPointer>
#include <array>
#include <optional>
#include <string>

#include "core/ops/item_properties.h"

class QCheckBox;
class QFormLayout;
class QLabel;

namespace arbel::ui {

class BackgroundJob;
class ChecksumSection;
class Tmdimain;

class PropertiesWindow : public QDialog {
    Q_OBJECT
public:
    PropertiesWindow(Tmdimain& frame, std::string path);
    ~PropertiesWindow() override;

    const std::string& path() const { return path_; }
    // The facts are in (or the item could not be read).
    bool loaded() const { return loaded_; }
    // A folder's size is still being counted.
    bool counting() const;
    const std::optional<ops::ItemProperties>& properties() const { return props_; }

    // Shown values (tests read them).
    QLabel* nameLabel = nullptr;
    QLabel* kindLabel = nullptr;
    QLabel* locationLabel = nullptr;
    QLabel* sizeLabel = nullptr;
    QLabel* linkLabel = nullptr;
    QLabel* ownerLabel = nullptr;
    QLabel* groupLabel = nullptr;
    QLabel* permissionLabel = nullptr;  // "rwxr-xr-x"
    QLabel* modifiedLabel = nullptr;
    QLabel* accessedLabel = nullptr;
    QLabel* changedLabel = nullptr;
    QLabel* createdLabel = nullptr;
    QLabel* volumeLabel = nullptr;
    QLabel* freeLabel = nullptr;
    QLabel* errorLabel = nullptr;
    // Owner, group, others x read, write, execute.
    std::array<QCheckBox*, 9> permissionBoxes{};
    ChecksumSection* checksum = nullptr;

signals:
    void propertiesLoaded();
    void sizeCounted();

private:
    void fill(const ops::ItemProperties& p);
    void countFolderSize();
    void permissionToggled();
    void setBoxes(mode_t mode);

    Tmdimain& frame_;
    std::string path_;
    std::optional<ops::ItemProperties> props_;
    bool loaded_ = false;
    bool settingBoxes_ = false;
    BackgroundJob* reader_ = nullptr;
    BackgroundJob* counter_ = nullptr;
    QFormLayout* form_ = nullptr;
};

// Opens the properties window of `path`, or brings forward the one open on it.
PropertiesWindow* showItemProperties(Tmdimain& frame, const std::string& path);

}  // namespace arbel::ui
