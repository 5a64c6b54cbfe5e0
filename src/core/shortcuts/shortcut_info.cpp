#include "core/shortcuts/shortcut_info.h"

#include "core/app/command_line.h"
#include "core/launch/command_words.h"
#include "core/lists/desktop_entry.h"

namespace arbel::shortcuts {

std::optional<std::vector<std::string>> execWords(std::string_view exec) {
    std::string expanded;
    for (size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] != '%' || i + 1 == exec.size()) {
            expanded += exec[i];
            continue;
        }
        if (exec[++i] == '%') expanded += '%';
        // Any other code is dropped with its letter, as it names files.
    }
    auto words = launch::splitCommandWords(expanded);
    if (!words) return std::nullopt;
    if (words->size() >= 2 && (*words)[0] == "env" && !(*words)[1].empty() && (*words)[1][0] == '/')
        words->erase(words->begin());
    return words;
}

ShortcutInfo readShortcut(const std::string& path) {
    ShortcutInfo info;
    const lists::DesktopEntryKeys keys = lists::readDesktopEntry(path);
    if (!keys.hasGroup) return info;
    info.readable = true;
    auto get = [&](std::string_view key) { return keys.get(key).value_or(std::string()); };
    info.type = get("Type");
    info.name = get("Name");
    info.description = get("Comment");
    info.workingDir = get("Path");
    info.icon = get("Icon");
    info.hidden = get("NoDisplay") == "true" || get("Hidden") == "true";
    if (info.type == "Link") {
        const std::string url = get("URL");
        auto local = app::pathOfFileUrl(url);
        info.target = local ? *local : url;
    } else if (auto words = execWords(get("Exec")); words && !words->empty()) {
        info.target = words->front();
        info.arguments.assign(words->begin() + 1, words->end());
    }
    return info;
}

std::string displayWords(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& w : words) {
        if (!out.empty()) out += ' ';
        const bool quote = w.empty() || w.find_first_of(" \t\"'\\") != std::string::npos;
        if (!quote) {
            out += w;
            continue;
        }
        out += '"';
        for (char c : w) {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
        out += '"';
    }
    return out;
}

}  // namespace arbel::shortcuts
