#pragma once
// Shortcut Properties: what a launcher (a ".desktop" file) starts or opens, shown
// in a window of its own beside the frame, as the desktop's properties windows
// are. Reading it changes nothing.

#include <QDialog>
#include <string>

class QLineEdit;

namespace arbel::ui {

class ShortcutProperties : public QDialog {
    Q_OBJECT
public:
    ShortcutProperties(QWidget* parent, const std::string& file);
    // Opens the window for the file; false (nothing shown) when it is not a
    // launcher.
    static bool open(QWidget* parent, const std::string& file);

    QLineEdit* targetEdit = nullptr;
    QLineEdit* argumentsEdit = nullptr;
    QLineEdit* folderEdit = nullptr;
    QLineEdit* commentEdit = nullptr;
};

}  // namespace arbel::ui
