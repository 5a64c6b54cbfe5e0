#pragma once
// Tcopier: the Copy/Move dialog. Copies or moves the gathered items into the
// target folder (created on request), optionally a single item under a new
// name, then brings the tree and the windows on the source and target up to date.

#include "ui/app/operation_dialog.h"

#include "core/ops/file_operation.h"
#include "ui/ops/dialog_source.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace arbel::ui {

class Tmdimain;

class Tcopier : public OperationDialog {
    Q_OBJECT
public:
    enum class Mode { Copy, Move };
    Tcopier(Tmdimain& frame, Mode mode, DialogSource source);
    ~Tcopier() override;
    // Gathers from the frame's active window and shows the dialog.
    static Tcopier* open(Tmdimain& frame, Mode mode);
    // Shows the dialog on dropped files ("dfdrop": the items are `sources`, not a
    // selection) with `target` in its target box.
    static Tcopier* openDropped(Tmdimain& frame, Mode mode, std::vector<std::string> sources,
                                const std::string& target);

    Mode mode() const { return mode_; }
    // Puts a folder into the target box (a drop's folder); its bytes are kept even
    // when they are not valid UTF-8.
    void setTarget(const std::string& folder);
    void switchmode();
    const DialogSource& source() const { return source_; }

    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;  // target folder, with the "Copies" history
    QCheckBox* renbox = nullptr;
    QComboBox* ComboBox2 = nullptr;  // new name, with the "Renames" history
    QCheckBox* autobox = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* modeButton = nullptr;  // Copy/Move switch the title bar cannot offer here

    void confirm() override { Button1Click(); }

public slots:
    void Button1Click();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void afterRun(const ops::OperationResult& result);
    void showMode();
    Mode mode_;
    DialogSource source_;
    std::string presetTarget_;
};

inline constexpr const char* kCopyLabel = "Copy Item(s) to:";
inline constexpr const char* kMoveLabel = "Move Item(s) to:";

}  // namespace arbel::ui
