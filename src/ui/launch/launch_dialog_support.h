#pragma once
// What the run and go-to dialogs share: their history drop-down (entries kept as
// bytes, shown as text) and what they read from the frame's windows at opening.

#include <QComboBox>
#include <string>
#include <string_view>
#include <vector>

namespace arbel::ui {

class Tmdimain;

// An editable drop-down of 15 visible rows filled with the section's entries.
void fillHistoryBox(QComboBox* box, const std::vector<std::string>& entries);
// The entries as stored (bytes), in the order shown.
std::vector<std::string> historyEntries(const QComboBox* box);
// The text in the box as bytes: the entry's own bytes while the text still
// equals an entry (a non-UTF-8 name survives), else the typed text.
std::string typedBytes(const QComboBox* box);
// Records `used` in the section, numbered as the box showed its entries.
bool rememberInHistory(Tmdimain& frame, std::string_view section, const std::string& used,
                       const QComboBox* box);

// The folder the active window shows (the tree: its selected folder; a viewer:
// its file's folder); empty when there is none.
std::string activeWindowFolder(const Tmdimain& frame);
// The first selected entry of the active file window, as a full path, and
// whether the list holds it as a folder (the list's own flag: the disk is not
// asked). Empty when nothing is selected or no file window is active.
struct FirstSelected {
    std::string path;
    bool folder = false;
};
FirstSelected firstSelectedEntry(const Tmdimain& frame);

}  // namespace arbel::ui
