#include "ui/launch/launch_dialog_support.h"

#include "core/app/file_system.h"
#include "core/config/numbered_history.h"
#include "ui/app/child_window.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_list_view.h"
#include "ui/lists/file_window.h"
#include "ui/tree/mdisubdir.h"

namespace arbel::ui {

void fillHistoryBox(QComboBox* box, const std::vector<std::string>& entries) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(15);
    for (const std::string& e : entries)
        box->addItem(displayPath(e), QByteArray(e.data(), qsizetype(e.size())));
    box->setEditText({});
}

std::vector<std::string> historyEntries(const QComboBox* box) {
    std::vector<std::string> out;
    for (int i = 0; i < box->count(); ++i) {
        const QByteArray b = box->itemData(i).toByteArray();
        out.emplace_back(b.constData(), size_t(b.size()));
    }
    return out;
}

std::string typedBytes(const QComboBox* box) {
    const QString text = box->currentText();
    const int i = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i >= 0 && !box->itemData(i).isNull()) {
        const QByteArray b = box->itemData(i).toByteArray();
        return std::string(b.constData(), size_t(b.size()));
    }
    const QByteArray b = text.toUtf8();
    return std::string(b.constData(), size_t(b.size()));
}

bool rememberInHistory(Tmdimain& frame, std::string_view section, const std::string& used,
                       const QComboBox* box) {
    return reportWriteErrors(
        &frame, [&] { config::rememberNumbered(frame.config(), section, used, historyEntries(box)); });
}

std::string activeWindowFolder(const Tmdimain& frame) {
    switch (frame.state().activeKind) {
        case app::ActiveKind::Dir:
            if (Tmdisubdir* tree = treeTarget(frame)) return tree->selectedFolder();
            return {};
        case app::ActiveKind::Auto:
        case app::ActiveKind::List:
            if (FileWindow* w = activeFileWindow(frame)) return w->shownFolder();
            return {};
        case app::ActiveKind::Viewer:
            if (ChildWindow* viewer = frame.currentOf(app::ActiveKind::Viewer))
                if (!viewer->shownPath().empty()) return parentPath(viewer->shownPath());
            return {};
        case app::ActiveKind::First:
        case app::ActiveKind::None:
            return {};
    }
    return {};
}

FirstSelected firstSelectedEntry(const Tmdimain& frame) {
    FileWindow* w = activeFileWindow(frame);
    if (!w) return {};
    const std::vector<int> rows = w->listView().selectedRows();
    if (rows.empty()) return {};
    TFileList& model = w->fileList();
    return {model.fullPath(rows.front()),
            model.data(model.index(rows.front(), 0), TFileList::IsFolderRole).toBool()};
}

}  // namespace arbel::ui
