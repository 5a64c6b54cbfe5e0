// The frame's filter box: applying a filter to the active file window and the
// history of filters in section "Maskspecs".
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "core/commands/filter_history.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/view_panel.h"
#include "ui/lists/file_window.h"

namespace arbel::ui {

namespace {

std::string bytesOf(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), size_t(utf8.size()));
}

std::vector<std::string> boxEntries(const QComboBox& box) {
    std::vector<std::string> out;
    for (int i = 0; i < box.count(); ++i) out.push_back(bytesOf(box.itemText(i)));
    return out;
}

// Replaces the box's entries; the text being typed or shown stays as it is.
void setBoxEntries(ViewPanel& panel, const std::vector<std::string>& entries) {
    const QString text = panel.maskedit->text();
    QSignalBlocker block(panel.maskbox);
    panel.maskbox->clear();
    for (const std::string& e : entries) panel.maskbox->addItem(displayPath(e));
    panel.maskedit->setText(text);
}

}  // namespace

void loadFilterBox(Tmdimain& frame) {
    setBoxEntries(*frame.viewPanel(), commands::loadFilterHistory(frame.config()));
}

void applyFilterBox(Tmdimain& frame) {
    ViewPanel& panel = *frame.viewPanel();
    app::AppState& st = frame.state();
    const QString text = panel.maskedit->text();
    const std::string filter = bytesOf(text);
    {
        FrozenUpdates frozen(frame.clientArea());
        if (st.activeKind == app::ActiveKind::Auto) {
            if (auto* w = qobject_cast<FileWindow*>(frame.currentOf(app::ActiveKind::Auto))) {
                // The same filter again: the auto-folder window is not read again.
                if (filter == w->filter()) return;
                app::ScopedRefreshSignal signal(st, app::RefreshSignal::Yes);
                w->setFilter(filter);
            }
        } else if (st.activeKind == app::ActiveKind::List) {
            if (auto* w = qobject_cast<FileWindow*>(frame.currentOf(app::ActiveKind::List))) {
                w->setFilter(filter);
            }
        }
    }
    panel.setFilterText(text);

    const std::vector<std::string> list = commands::rememberFilter(boxEntries(*panel.maskbox), filter);
    setBoxEntries(panel, list);
    reportWriteErrors(&frame, [&] { commands::saveFilterHistory(frame.config(), list); });
    frame.findme();
}

}  // namespace arbel::ui
