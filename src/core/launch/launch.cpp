#include "core/launch/launch.h"

#include "core/launch/command_words.h"
#include "core/lists/desktop_entry.h"
#include "platform/launcher.h"
#include "platform/paths.h"

namespace arbel::launch {
namespace {

bool endsWithDesktop(const std::string& path) {
    static constexpr std::string_view ext = ".desktop";
    if (path.size() < ext.size()) return false;
    for (size_t i = 0; i < ext.size(); ++i) {
        char c = path[path.size() - ext.size() + i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != ext[i]) return false;
    }
    return true;
}

bool isUri(const std::string& s) {
    const size_t colon = s.find(':');
    if (colon == std::string::npos || colon == 0 || s.compare(colon, 3, "://") != 0) return false;
    for (size_t i = 0; i < colon; ++i) {
        const char c = s[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
              c == '-' || c == '.'))
            return false;
    }
    return true;
}

Launched fromStatus(const std::string& name, const Status& s) {
    if (s) return {};
    return {-1, launchFailureMessage(name, s.error().message)};
}

}  // namespace

std::string launchFailureMessage(const std::string& name, const std::string& reason) {
    std::string text =
        "Unable to launch " + name + "\n\r" + "The application or associated application is invalid.";
    if (!reason.empty()) text += "\n\n" + reason;
    return text;
}

Launched executeFile(const std::string& fileName, const std::vector<std::string>& params,
                     const std::string& folder) {
    if (fileName.empty()) return {-1, launchFailureMessage(fileName, "no program was named")};
    if (isUri(fileName)) return fromStatus(fileName, openUriWithDefaultApp(fileName));
    if (!pathExists(fileName)) return {-1, launchFailureMessage(fileName, "the file does not exist")};
    if (isFolder(fileName)) return {-1, launchFailureMessage(fileName, "it is a folder")};
    // A Desktop Entry file is text: run directly, the exec fallback would hand it
    // to /bin/sh. Only an executable (trusted) one starts its application.
    // Its files are named relative to the shown folder, not to this process's.
    if (endsWithDesktop(fileName) && isExecutableFile(fileName)) {
        // A link entry (a shortcut to a document or folder) opens its URL.
        const lists::DesktopEntryKeys entry = lists::readDesktopEntry(fileName);
        if (entry.get("Type") == "Link")
            return fromStatus(fileName, openUriWithDefaultApp(entry.get("URL").value_or(std::string())));
        std::vector<std::string> files;
        files.reserve(params.size());
        for (const std::string& p : params)
            files.push_back(p.empty() || p.front() == '/' || folder.empty() ? p : joinPath(folder, p));
        return fromStatus(fileName, launchDesktopEntry(fileName, files));
    }
    if (isExecutableFile(fileName) && !endsWithDesktop(fileName)) {
        std::vector<std::string> argv{fileName};
        argv.insert(argv.end(), params.begin(), params.end());
        return fromStatus(fileName, spawnProgram(argv, folder));
    }
    return fromStatus(fileName, openWithDefaultApp(fileName));
}

Launched openItem(const std::string& path) {
    return executeFile(path, {}, isUri(path) ? std::string() : parentPath(path));
}

std::optional<RunPlan> planRun(const std::string& folder, std::string_view commandLine) {
    std::optional<std::vector<std::string>> words = splitCommandWords(commandLine);
    if (!words || words->empty() || words->front().empty()) return std::nullopt;
    std::string& first = words->front();
    std::string full;
    if (first.front() == '/') {
        if (isExistingNonFolder(first)) full = first;
    } else if (const std::string inFolder = joinPath(folder, first); isExistingNonFolder(inFolder)) {
        full = inFolder;
    } else {
        full = findProgramOnPath(first);
    }
    if (full.empty()) return std::nullopt;
    first = full;
    return RunPlan{std::move(*words), folder};
}

Launched startRun(const RunPlan& plan) {
    const std::vector<std::string> params(plan.argv.begin() + 1, plan.argv.end());
    return executeFile(plan.argv.front(), params, plan.folder);
}

std::string editorTarget(const std::string& candidate) {
    return !candidate.empty() && isRegularFile(candidate) ? candidate : std::string();
}

Launched startChosenProgram(const std::string& program, const std::string& file) {
    std::vector<std::string> params;
    if (!file.empty()) params.push_back(file);
    // The user picked this program in a file dialog, so a Desktop Entry file of
    // theirs is trusted without its execute bit; anything else must be a program,
    // never a document that would open in some other application.
    if (endsWithDesktop(program) && isRegularFile(program))
        return fromStatus(program, launchDesktopEntry(program, params));
    if (!pathExists(program)) return {-1, launchFailureMessage(program, "the file does not exist")};
    if (!isExecutableFile(program) || isFolder(program))
        return {-1, launchFailureMessage(program, "it is not a program")};
    return executeFile(program, params, {});
}

std::string desktopSearchTool() {
    for (const char* tool : {"catfish", "kfind", "gnome-search-tool"})
        if (std::string found = findProgramOnPath(tool); !found.empty()) return found;
    return {};
}

}  // namespace arbel::launch
