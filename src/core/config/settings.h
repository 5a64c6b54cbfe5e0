#pragma once
// The one table of every section and key of "Arbelwin.cfg", each declared once
// with its type and default, and typed access over IniFile.
//
// Use:
//   IniFile ini(configPath(programDir));
//   int64_t speed = get(ini, keys::GifSpeed);               // 50 when missing or empty
//   std::string start = getText(ini, keys::DirLoad, home); // keys whose default is computed
//   if (getFlag(ini, keys::Recycle)) ...                   // "yes"/"no"/"true" versus empty
//   setFlag(ini, keys::MainMax, !maximised);              // writes "no" or ""
//   Placement p = readPlacement(ini, WindowKind::Tree, clientW, clientH);
//   writePlacement(ini, WindowKind::Tree, p);             // the child's "Save Location"
//   Rect r = defaultPlacement(WindowKind::List, W, H);    // also what "Arrange All" uses
//   restoreDefault(ini, WindowKind::Tree);                // the child's "Restore Default"
//   writeFrameSettings(ini, framePlacement, autoOpen);    // the frame's "Save Settings"
//   ini.writeHistory(sections::Copies, entries);          // histories: IniFile directly
// Every write may throw WriteError (see ini_file.h).
//
// Empty-value convention: the program never deletes a single key; "Restore
// Default" and histories write empty values, and every typed reader here treats
// an empty value as absent (the default).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/config/ini_file.h"

namespace arbel::config {

namespace sections {
inline constexpr std::string_view Windows = "windows";
inline constexpr std::string_view Quenby = "Quenby";
// History sections: read with IniFile::readHistory, written with writeHistory.
inline constexpr std::string_view Maskspecs = "Maskspecs";
inline constexpr std::string_view Folders = "Folders";
inline constexpr std::string_view Runs = "Runs";
inline constexpr std::string_view Findspecs = "Findspecs";
inline constexpr std::string_view Copies = "Copies";
inline constexpr std::string_view Renames = "Renames";
}  // namespace sections

enum class KeyType {
    String,    // text; empty means the default
    Integer,   // decimal (hex read after "0x"); empty or unconvertible means the default
    Bool,      // "1"/"0"; read as an integer, non-zero is true
    Flag,      // on = the key's onText ("yes", "no" or "true"), off = empty
    Placement  // integer whose default depends on the client size: read with readPlacement, not get
};

struct Key {
    std::string_view section;
    std::string_view name;
    KeyType type;
    int64_t defInt = 0;             // Integer, Bool (0/1)
    std::string_view defText = {};  // String
    std::string_view onText = {};   // Flag: the text written when the flag is on
};

namespace keys {
using S = KeyType;
// Frame placement.
inline constexpr Key MainMax{sections::Windows, "mainmax", S::Flag, 0, {}, "no"};  // on: not maximised
inline constexpr Key MainTop{sections::Windows, "maint", S::Integer};
inline constexpr Key MainLeft{sections::Windows, "mainl", S::Integer};
inline constexpr Key MainWidth{sections::Windows, "mainw", S::Integer};
inline constexpr Key MainHeight{sections::Windows, "mainh", S::Integer};
inline constexpr Key Auto{sections::Windows, "auto", S::Flag, 0, {}, "no"};  // on: auto window NOT opened
// Folder tree window.
inline constexpr Key DirMax{sections::Windows, "dirmax", S::Integer};
inline constexpr Key DirTop{sections::Windows, "dirt", S::Placement};
inline constexpr Key DirLeft{sections::Windows, "dirl", S::Placement};
inline constexpr Key DirWidth{sections::Windows, "dirw", S::Placement};
inline constexpr Key DirHeight{sections::Windows, "dirh", S::Placement};
inline constexpr Key DirLoad{sections::Windows, "dirload", S::String};  // default $HOME: use getText
// Auto-folder window.
inline constexpr Key AutoMax{sections::Windows, "automax", S::Integer};
inline constexpr Key AutoTop{sections::Windows, "autot", S::Placement};
inline constexpr Key AutoLeft{sections::Windows, "autol", S::Placement};
inline constexpr Key AutoWidth{sections::Windows, "autow", S::Placement};
inline constexpr Key AutoHeight{sections::Windows, "autoh", S::Placement};
inline constexpr Key AutoStyle{sections::Windows, "autostyle", S::String};  // "large" "small" "list" "report"
inline constexpr Key AutoFolder{sections::Windows, "autofolder", S::Bool, 1};
// Folder windows.
inline constexpr Key ListMax{sections::Windows, "listmax", S::Integer};
inline constexpr Key ListTop{sections::Windows, "listt", S::Placement};
inline constexpr Key ListLeft{sections::Windows, "listl", S::Placement};
inline constexpr Key ListWidth{sections::Windows, "listw", S::Placement};
inline constexpr Key ListHeight{sections::Windows, "listh", S::Placement};
inline constexpr Key ListStyle{sections::Windows, "liststyle", S::String};
inline constexpr Key ListFolder{sections::Windows, "listfolder", S::Bool, 1};
// Viewer windows.
inline constexpr Key ViewerMax{sections::Windows, "viewermax", S::Integer};
inline constexpr Key ViewerTop{sections::Windows, "viewert", S::Placement};
inline constexpr Key ViewerLeft{sections::Windows, "viewerl", S::Placement};
inline constexpr Key ViewerWidth{sections::Windows, "viewerw", S::Placement};
inline constexpr Key ViewerHeight{sections::Windows, "viewerh", S::Placement};
// Preferences.
inline constexpr Key Editor{sections::Quenby, "editor", S::String};          // empty: ask on first use
inline constexpr Key DiskCopy{sections::Quenby, "diskcopy", S::String};      // empty: ask on first use
inline constexpr Key Blue{sections::Quenby, "blue", S::Flag, 0, {}, "no"};   // on: coloured HTML off
inline constexpr Key Wrap{sections::Quenby, "wrap", S::Flag, 0, {}, "yes"};  // on: wrap mode inverted
inline constexpr Key GifSpeed{sections::Quenby, "gifspeed", S::Integer, 50};
inline constexpr Key Recycle{sections::Quenby, "recycle", S::Flag, 0, {}, "yes"};
inline constexpr Key ConfirmDel{sections::Quenby, "confirmdel", S::Flag, 0, {}, "yes"};
inline constexpr Key Replace{sections::Quenby, "replace", S::Flag, 0, {}, "true"};
inline constexpr Key Prefix{sections::Quenby, "prefix", S::Flag, 0, {}, "yes"};
}  // namespace keys

// The values of "autostyle" and "liststyle" for the list's display styles 0..3.
inline constexpr std::array<std::string_view, 4> kListStyles{"large", "small", "list", "report"};
// The display style a stored name stands for; nullopt for empty or unknown text
// (the window then keeps its own style).
std::optional<int> listStyleIndex(std::string_view stored);

// Every key above, in table order (for tests and "Restore Default").
std::span<const Key> allKeys();

// Typed reads; an empty value counts as missing.
std::string getText(const IniFile& ini, const Key& key, std::string_view def);  // String keys
std::string getText(const IniFile& ini, const Key& key);                        // def = key.defText
int64_t get(const IniFile& ini, const Key& key);                                // Integer keys
bool getBool(const IniFile& ini, const Key& key);                               // Bool keys
bool getFlag(const IniFile& ini, const Key& key);                               // Flag: non-empty = on
// Typed writes (throw WriteError).
void setText(IniFile& ini, const Key& key, std::string_view value);
void set(IniFile& ini, const Key& key, int64_t value);
void setBool(IniFile& ini, const Key& key, bool value);
void setFlag(IniFile& ini, const Key& key, bool on);  // key.onText or ""

// Window placement of the frame's children.
enum class WindowKind { Tree, Auto, List, Viewer };
struct Rect {
    int64_t top = 0, left = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};
struct Placement {
    bool maximised = false;
    Rect rect;  // meaningful when not maximised
};
struct PlacementKeys {
    const Key& max;
    const Key& top;
    const Key& left;
    const Key& width;
    const Key& height;
};
PlacementKeys placementKeys(WindowKind kind);
// The default rectangle of a child window for a client area W x H ("div" is
// integer division). Tree: 0, 0, W/3, H-4. Auto and List: 0, W/3, W-Left-4, H-4.
// Viewer: H/3*2, 0, W-4, H/3-3. "Arrange All" lays the windows out with these.
Rect defaultPlacement(WindowKind kind, int64_t clientW, int64_t clientH);
// Maximised when the max key reads 1; otherwise each coordinate from its key, or
// from its default when missing, empty or not a number. The default width of the
// auto-folder and folder windows follows the Left actually read.
Placement readPlacement(const IniFile& ini, WindowKind kind, int64_t clientW, int64_t clientH);
// The window's "Save Settings" / "Save Location" placement part, in one write:
// maximised writes the max key 1 and leaves the coordinates; otherwise max 0 and
// the four coordinates.
void writePlacement(IniFile& ini, WindowKind kind, const Placement& placement);
// The window's "Restore Default", in one write: max 0 and the coordinates empty;
// for the auto-folder and folder windows also style and show-folders, for the
// tree window also "dirload".
void restoreDefault(IniFile& ini, WindowKind kind);

// The frame. It starts maximised unless "mainmax" is non-empty.
Placement readFramePlacement(const IniFile& ini);
// The frame's "Save Settings": its placement, and "auto" so that the auto-folder
// window reopens at the next start exactly when it is open now.
void writeFrameSettings(IniFile& ini, const Placement& placement, bool autoWindowOpen);
// The frame's "Restore Default": "mainmax" and the four coordinates empty.
void restoreFrameDefault(IniFile& ini);
// Whether the auto-folder window is opened at start ("auto" empty).
bool autoWindowAtStart(const IniFile& ini);

}  // namespace arbel::config
