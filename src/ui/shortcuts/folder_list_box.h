#pragma once
// FolderListBox: a folder chooser in one list, as a classic directory list box
// shows it: the folders from the root down to the current one, then the current
// folder's subfolders, indented by depth. Activating an entry makes it current.

#include <QListWidget>
#include <string>

namespace arbel::ui {

class FolderListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FolderListBox(QWidget* parent = nullptr);
    // Shows `folder` (bytes) with its ancestors and subfolders.
    void setDirectory(const std::string& folder);
    const std::string& directory() const { return directory_; }

signals:
    void directoryChanged();

private:
    void addEntry(const std::string& path, const QString& label, int depth, bool current);
    std::string directory_;
};

}  // namespace arbel::ui
