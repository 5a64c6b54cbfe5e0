#include "ui/frame/save_to_file.h"

#include "core/listing/listing_file.h"
#include "core/listing/snapshot.h"
#include "core/tree/tree_paths.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_list_view.h"
#include "ui/lists/file_window.h"
#include "ui/tree/mdisubdir.h"
#include "ui/viewer/mdiview.h"
#include "ui/viewer/viewer_print.h"

namespace arbel::ui {

namespace {

struct Built {
    std::string folder;  // folder form
    std::string_view fileName;
    std::string bytes;
};

std::optional<Built> buildTreeListing(Tmdimain& frame, listing::SaveScope scope) {
    Tmdisubdir* window = Tmdisubdir::of(frame);
    if (!window || !window->DirTree1().selected()) return std::nullopt;
    tree::TDirTree& tree = window->DirTree1();
    const std::string selected = tree.SelectedDir();
    Built b{tree::folderForm(selected), listing::kBranchFileName, {}};
    if (scope == listing::SaveScope::Selected) {
        b.bytes = listing::branchListing(selected, listing::branchSnapshot(tree, tree.selected()));
        if (b.bytes.empty()) {
            showMessage(window, QString::fromLatin1(kNoVisibleChildren));
            return std::nullopt;
        }
    } else {
        b.bytes = listing::treeListing(listing::volumesSnapshot(tree));
    }
    return b;
}

std::optional<Built> buildFileListing(FileWindow& window, listing::SaveScope scope) {
    const lists::FileListModel& model = window.fileList().core();
    const lists::ListFormat& fmt = window.fileList().format();
    const bool autoWindow = window.kind() == app::ActiveKind::Auto;
    Built b{window.shownFolder(), listing::kListFileName, {}};
    listing::ListSnapshot snap;
    if (scope == listing::SaveScope::Selected) {
        std::vector<size_t> rows;
        for (int row : window.listView().selectedRows()) rows.push_back(size_t(row));
        snap = listing::listSnapshot(model, b.folder, rows, fmt, autoWindow);
    } else {
        snap = listing::listSnapshot(model, b.folder, fmt, autoWindow);
    }
    b.bytes = listing::listListing(snap, scope);
    return b;
}

}  // namespace

std::string saveWindowToFile(Tmdimain& frame, listing::SaveScope scope) {
    app::AppState& st = frame.state();
    const bool selected = scope == listing::SaveScope::Selected;
    if (st.activeKind == app::ActiveKind::Viewer) {
        if (auto* viewer = qobject_cast<Tmdiview*>(frame.currentOf(app::ActiveKind::Viewer)))
            printViewer(*viewer, selected);
        return {};
    }
    std::optional<Built> built;
    QWidget* parent = &frame;
    {
        WaitCursor wait;
        if (st.activeKind == app::ActiveKind::Dir) {
            built = buildTreeListing(frame, scope);
        } else if (FileWindow* w = activeFileWindow(frame)) {
            if (selected && w->listView().selectedRows().empty()) return {};
            built = buildFileListing(*w, scope);
            parent = w;
        }
    }
    if (!built) return {};
    auto written = listing::saveListing(built->folder, built->fileName, built->bytes);
    if (!written) {
        const Error& e = written.error();
        showMessage(parent,
                    QStringLiteral("Cannot create file %1.\n%2")
                        .arg(displayPath(e.path), QString::fromStdString(errnoText(e.code))),
                    QMessageBox::Warning);
        return {};
    }
    frame.cappything(built->folder);
    const app::QuietActivation was = st.quietActivation;
    st.quietActivation = app::QuietActivation::MaxMe;
    // The viewer may open later, when the folder is slow to answer.
    openFileViewer(frame, *written, [](Tmdiview* viewer) { viewer->showMaximized(); });
    st.quietActivation = was;
    return *written;
}

}  // namespace arbel::ui
