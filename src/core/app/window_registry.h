#pragma once
// The frame's list of child windows: creation order (the Window menu and the
// Ctrl+Tab switcher follow it) and activation order (the last entry is the active
// window). Windows are identified by an id and described by their kind and the
// path they show; captions are derived from those fields for display only, and
// windows are matched by path, never by caption text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/app_state.h"
#include "platform/fileops.h"  // isSameOrBelow: equal, or below at a component boundary

namespace arbel::app {

using WindowId = std::uint64_t;

struct WindowEntry {
    WindowId id = 0;
    ActiveKind kind = ActiveKind::None;
    std::string path;         // folder or file shown, as bytes; may be empty (tree window)
    bool autoViewer = false;  // the viewer that follows the selection
    std::string caption;      // text shown in the Window menu (UTF-8)
};

struct WindowMenuEntry {
    WindowId id = 0;
    std::string label;  // "&N caption", '&' in the caption doubled
    bool checked = false;
};

enum class SwitchDirection { Next, Previous };

class WindowRegistry {
public:
    // A new child window: appended to both orders. Adding an id twice is ignored.
    void add(WindowEntry entry);
    // A closing child window: removed from both orders. Returns the index it had
    // in creation order, or nothing when it was not registered.
    std::optional<std::size_t> remove(WindowId id);
    // Moves the window to the end of the activation order. False when unknown.
    bool touch(WindowId id);

    // The most recently activated window still open.
    std::optional<WindowId> active() const;
    const std::vector<WindowId>& windowOrder() const { return windowOrder_; }
    const std::vector<WindowId>& activationOrder() const { return activationOrder_; }
    std::size_t count() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

    const WindowEntry* find(WindowId id) const;
    bool setPath(WindowId id, std::string path);
    bool setCaption(WindowId id, std::string caption);
    std::vector<WindowId> ofKind(ActiveKind kind) const;  // in creation order

    // Ctrl+Tab / Ctrl+Shift+Tab: the window after (before) the active one in
    // creation order, wrapping at both ends. Nothing unless activeKind is one of
    // the four child kinds and a window is open.
    std::optional<WindowId> switchTarget(ActiveKind activeKind, SwitchDirection direction) const;

    // The window behind Window menu entry number n (1-based); entries from the
    // tenth on work like the first nine.
    std::optional<WindowId> byMenuNumber(std::size_t n) const;

    // The Window menu's window entries, numbered 1.. in creation order with no
    // gaps, the active window checked.
    std::vector<WindowMenuEntry> menuEntries() const;

    // Folder and auto-folder windows that show exactly this folder (the windows a
    // change inside the folder must refresh).
    std::vector<WindowId> showingFolder(std::string_view folder) const;
    // Windows whose path is the given path or lies below it (what a deletion of
    // the path affects), in creation order.
    std::vector<WindowId> atOrBelow(std::string_view path) const;

private:
    std::vector<WindowEntry> entries_;  // creation order
    std::vector<WindowId> windowOrder_;
    std::vector<WindowId> activationOrder_;
};

// "&" + n + " " + caption, with any '&' of the caption doubled so it shows as
// itself instead of marking a mnemonic.
std::string windowMenuLabel(std::size_t number, std::string_view caption);

// The caption a window of this kind shows for the path (display text is the
// caller's business: path bytes are returned as they are).
std::string captionFor(ActiveKind kind, std::string_view path, bool autoViewer = false);

}  // namespace arbel::app
