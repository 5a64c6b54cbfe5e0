#pragma once
// The state that Arbel's windows share: which kind of child window is active,
// which modeless dialog is open, the one-shot refresh signal a command hands to
// the window it refreshes, and the other cross-window flags. One object, owned by
// the frame and passed by reference; every tag is an enum, never a free string.

#include <cstdint>
#include <string>
#include <string_view>

namespace arbel::app {

// Kind of a child window. First: the frame exists but no child has been
// activated yet. None: not a child window (the search window, dialogs).
enum class ActiveKind { First, Dir, Auto, List, Viewer, None };

// The modeless dialog (or the search window) that is open; None when no dialog is.
enum class DialogTag {
    None,
    FindForm,
    Rename,
    Copier,
    Attrib,
    NewDir,
    Shortcut,
    Delete,
    GotoForm,
    RunForm,
    Assoc,
    Format,   // the format confirmation, then the format itself
    Network,  // connect to or disconnect from a network location
    Undo,     // the undo history window
};

// The mode of the next refresh of a file window, or a one-shot signal.
enum class RefreshSignal {
    None,
    Yes,            // filter change of the auto-folder window, Enter in the small dialogs
    DelUpdate,      // files changed: refresh after delete, copy, move, shortcut
    Rename,         // a folder window being activated only becomes the current list window
    Format,         // new folder, attributes, format
    CaptionUpdate,  // file windows skip their caption/byte-count update
    DfDrop,         // the copy dialog opens for dropped files
    Deletes,        // mode set by the delete dialog
    Lowercase,      // a change of case, told to the tree's selection handler
    Dc,             // Open Selected Item on a tree folder: the tree's next activation only clears it
};

// What the viewer being created is, or what the program is doing to viewers.
enum class ViewerMode {
    None,
    AutoViewer,        // the viewer being created is the auto viewer
    SingleFile,        // a viewer for one file
    TreeIgnoreExpand,  // the tree ignores its next expand/collapse
    Closing,           // the program is closing: child windows skip their close-time work
};

// Set while the frame or a dialog creates or activates a window itself.
enum class QuietActivation { None, Yes, MaxMe };

// A drop onto the tree starts a copy, move or delete; the copy dialog marks "over".
enum class DropState { None, InProgress, Over };

struct AppState {
    ActiveKind activeKind = ActiveKind::First;
    DialogTag activeDialog = DialogTag::None;
    bool fromSearch = false;  // file commands take their items from the search results
    RefreshSignal pendingUpdate = RefreshSignal::None;
    bool startupPhase = false;  // deferred start, or the tree expanding whole branches
    QuietActivation quietActivation = QuietActivation::None;
    bool autoWindowOpen = false;  // the auto-folder window exists
    ViewerMode viewerMode = ViewerMode::None;
    bool autoViewerOn = false;      // the auto viewer exists
    bool rightButtonPopup = false;  // a right-button press waits for the context-menu timer
    DropState dropInProgress = DropState::None;

    std::string viewerFile;     // full name of the file the next viewer shows
    std::string freeSpaceText;  // "<n>k free " of the current volume
    std::string renameTarget;   // full name of the item to rename
    std::string hoverFolder;    // folder under the pointer / drop target for the copy dialog

    // A dialog other than the search window is open.
    bool dialogBusy() const { return activeDialog != DialogTag::None && activeDialog != DialogTag::FindForm; }
    // The viewer is in front when it is active and no search window holds the focus.
    bool viewerInFront() const {
        return activeKind == ActiveKind::Viewer && activeDialog != DialogTag::FindForm;
    }
    // One of the four child-window kinds is active.
    bool childKindActive() const {
        return activeKind == ActiveKind::Dir || activeKind == ActiveKind::Auto ||
               activeKind == ActiveKind::List || activeKind == ActiveKind::Viewer;
    }
};

// Sets a signal for the duration of one scope and clears it on every path, so no
// signal outlives the call chain that set it.
class ScopedRefreshSignal {
public:
    ScopedRefreshSignal(AppState& state, RefreshSignal signal) : state_(state) {
        state_.pendingUpdate = signal;
    }
    ~ScopedRefreshSignal() { state_.pendingUpdate = RefreshSignal::None; }
    ScopedRefreshSignal(const ScopedRefreshSignal&) = delete;
    ScopedRefreshSignal& operator=(const ScopedRefreshSignal&) = delete;

private:
    AppState& state_;
};

// The tag texts, for logs and debugging displays ("dir", "copier", "delupdate").
std::string_view kindTag(ActiveKind kind);
std::string_view dialogTag(DialogTag tag);
std::string_view signalTag(RefreshSignal signal);

}  // namespace arbel::app
