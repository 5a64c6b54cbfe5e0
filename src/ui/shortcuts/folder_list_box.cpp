#include "ui/shortcuts/folder_list_box.h"

#include "core/app/file_system.h"
#include "core/shortcuts/shortcut_plan.h"
#include "ui/app/scope_guards.h"

namespace arbel::ui {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

FolderListBox::FolderListBox(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("DirectoryListBox1"));
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const QByteArray path = item->data(kPathRole).toByteArray();
        setDirectory(std::string(path.constData(), size_t(path.size())));
    });
}

void FolderListBox::addEntry(const std::string& path, const QString& label, int depth, bool current) {
    auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + label, this);
    item->setData(kPathRole, QByteArray(path.data(), qsizetype(path.size())));
    if (current) {
        QFont f = item->font();
        f.setBold(true);
        item->setFont(f);
        setCurrentItem(item);
    }
}

void FolderListBox::setDirectory(const std::string& folder) {
    directory_ = folder.empty() ? std::string("/") : folder;
    clear();
    // The chain of ancestors, root first.
    std::vector<std::string> chain;
    for (std::string p = directory_;; p = parentPath(p)) {
        chain.insert(chain.begin(), p);
        if (p == "/" || p == "." || p.empty()) break;
    }
    int depth = 0;
    for (const std::string& p : chain) {
        addEntry(p, p == "/" ? QStringLiteral("/") : displayPath(baseName(p)), depth, p == directory_);
        ++depth;
    }
    for (const std::string& name : shortcuts::subfolders(directory_))
        addEntry(joinPath(directory_, name), displayPath(name), depth, false);
    emit directoryChanged();
}

}  // namespace arbel::ui
