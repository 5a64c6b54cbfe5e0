#pragma once
// Starting programs and opening documents for the frame's commands: Open Selected
// Item, the run dialog, Edit, Copy Diskette and the system find. The decisions live
// here; the starting itself is platform/launcher.h (no shell, no change of this
// process's current folder, failures reported with their reason).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace arbel::launch {

// A start that failed: `message` is what the user is shown.
struct Launched {
    int code = 0;  // -1 when nothing was started
    std::string message;
    bool ok() const { return code != -1; }
};

// "Unable to launch <name>\n\r<the design's line>", then the system's reason.
std::string launchFailureMessage(const std::string& name, const std::string& reason);

// Opens `fileName` as the desktop would: an executable Desktop Entry file starts
// its application (with `params` as its files), another executable file runs with
// `params` as its arguments in `folder` (empty: this process's folder), anything
// else opens with the default application of its content type (`params` are then
// not used). A location URI ("trash:///") opens with its default handler.
// Returns -1 and the launch message when nothing could be started.
Launched executeFile(const std::string& fileName, const std::vector<std::string>& params,
                     const std::string& folder);

// Open Selected Item on a file: executeFile with the file's own folder as the
// working folder.
Launched openItem(const std::string& path);

// The run dialog's command line resolved in the folder it shows: the words split
// as a shell splits them, the first one made a full name. The first word names an
// existing file as given (absolute) or in `folder`, or, when it holds no "/", a
// program on the PATH. Nothing when there is no such program.
struct RunPlan {
    std::vector<std::string> argv;  // argv[0] is a full name
    std::string folder;             // the working folder
};
std::optional<RunPlan> planRun(const std::string& folder, std::string_view commandLine);
inline constexpr std::string_view kCannotRun = "Cannot run specified file.";
// Starts the plan: an executable is run directly, a Desktop Entry file through
// its application, another file opened with its default application.
Launched startRun(const RunPlan& plan);

// Edit: what the editor is handed. Only an existing regular file: a folder (or a
// device, or nothing) gives an empty target and the editor starts without a file.
std::string editorTarget(const std::string& candidate);
// Starts the user's editor (or disk-copy program) with `file` as its one argument
// when not empty. The program must be an executable or a Desktop Entry file (the
// user chose it, so its execute bit is not asked for).
Launched startChosenProgram(const std::string& program, const std::string& file);

// The desktop search tool found on the PATH (full name), or empty: then the
// frame opens its own search window.
std::string desktopSearchTool();

}  // namespace arbel::launch
