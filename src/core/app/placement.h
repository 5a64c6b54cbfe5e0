#pragma once
// Window placement kept in section "windows" of the settings file: where the
// frame and each kind of child window start, what "Save Settings" / "Save
// Location" store and what "Restore Default" clears, and the rectangles of
// "Arrange All". An empty value counts as absent everywhere.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/app/app_state.h"
#include "core/app/window_registry.h"
#include "core/config/ini_file.h"

namespace arbel::app {

inline constexpr const char* kWindowsSection = "windows";

struct Rect {
    int64_t top = 0;
    int64_t left = 0;
    int64_t width = 0;
    int64_t height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// ---- the frame ----
// Nothing: start maximised ("mainmax" empty or missing, whatever position keys
// remain). Otherwise the stored rectangle, 0 for each missing key.
std::optional<Rect> frameStartPlacement(const config::IniFile& ini);
// "Save Settings" of the frame: a maximised frame stores "mainmax" empty; a
// placed one "no" and its rectangle. "auto" records whether the auto-folder
// window is open now, so it reopens at the next start exactly then.
void saveFrameSettings(config::IniFile& ini, bool maximised, const Rect& rect, bool autoWindowOpen);
// "Restore Default" of the frame.
void restoreFrameDefault(config::IniFile& ini);
// The deferred start opens the auto-folder window unless "auto" is set.
bool autoWindowAtStart(const config::IniFile& ini);

// ---- child windows ----
// The prefix of a kind's keys: "dir", "auto", "list", "viewer" (empty for others).
std::string placementPrefix(ActiveKind kind);
// The rectangle a child of this kind takes in a client area of width w and
// height h: the stored keys, each missing one replaced by its default.
Rect childPlacement(const config::IniFile& ini, ActiveKind kind, int64_t w, int64_t h);
// A child of this kind is created maximised ("<prefix>max" is 1).
bool childStartsMaximised(const config::IniFile& ini, ActiveKind kind);

// What a child window's "Save Settings" stores besides its placement.
struct ChildExtras {
    std::optional<std::string> dirload;  // tree: the selected folder, when it may be kept
    std::optional<std::string> style;    // file windows: "large", "small", "list", "report"
    std::optional<bool> showFolders;     // file windows: show folders in the list
};
// "Save Settings" / "Save Location": a maximised window stores only "<prefix>max"
// = 1; otherwise 0, its rectangle and the extras. A "dirload" that could not be
// stored as one line (CR or LF in the folder name) is skipped, the rest is saved.
void saveChildSettings(config::IniFile& ini, ActiveKind kind, bool maximised, const Rect& rect,
                       const ChildExtras& extras = {});
// "Restore Default": "<prefix>max" = 0 and every other key of the kind emptied.
void restoreChildDefault(config::IniFile& ini, ActiveKind kind);

// "Restore Default Configuration": the whole placement section goes.
void eraseWindowSettings(config::IniFile& ini);

// ---- Arrange All ----
struct ArrangedWindow {
    WindowId id;
    Rect rect;
};
// The tree window, the auto-folder window, then every folder window and viewer in
// creation order, each with its kind's rectangle (folder windows all get the same
// one and end up stacked).
std::vector<ArrangedWindow> arrangePlan(const WindowRegistry& registry, const config::IniFile& ini, int64_t w,
                                        int64_t h);

}  // namespace arbel::app
