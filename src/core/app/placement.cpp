#include "core/app/placement.h"

namespace arbel::app {

namespace {

const char* const kFrameKeys[] = {"maint", "mainl", "mainw", "mainh"};

std::string key(const std::string& prefix, const char* suffix) {
    return prefix + suffix;
}

}  // namespace

std::optional<Rect> frameStartPlacement(const config::IniFile& ini) {
    if (ini.readString(kWindowsSection, "mainmax", "").empty()) return std::nullopt;
    return Rect{ini.readInteger(kWindowsSection, "maint", 0), ini.readInteger(kWindowsSection, "mainl", 0),
                ini.readInteger(kWindowsSection, "mainw", 0), ini.readInteger(kWindowsSection, "mainh", 0)};
}

void saveFrameSettings(config::IniFile& ini, bool maximised, const Rect& rect, bool autoWindowOpen) {
    if (maximised) {
        ini.writeString(kWindowsSection, "mainmax", "");
    } else {
        ini.writeString(kWindowsSection, "mainmax", "no");
        ini.writeInteger(kWindowsSection, "maint", rect.top);
        ini.writeInteger(kWindowsSection, "mainl", rect.left);
        ini.writeInteger(kWindowsSection, "mainw", rect.width);
        ini.writeInteger(kWindowsSection, "mainh", rect.height);
    }
    ini.writeString(kWindowsSection, "auto", autoWindowOpen ? "" : "no");
}

void restoreFrameDefault(config::IniFile& ini) {
    ini.writeString(kWindowsSection, "mainmax", "");
    for (const char* k : kFrameKeys) ini.writeString(kWindowsSection, k, "");
}

bool autoWindowAtStart(const config::IniFile& ini) {
    return ini.readString(kWindowsSection, "auto", "").empty();
}

std::string placementPrefix(ActiveKind kind) {
    // The keys of a child kind start with its tag: "dirt", "autow", "listmax", ...
    switch (kind) {
        case ActiveKind::Dir:
        case ActiveKind::Auto:
        case ActiveKind::List:
        case ActiveKind::Viewer:
            return std::string(kindTag(kind));
        default:
            return "";
    }
}

Rect childPlacement(const config::IniFile& ini, ActiveKind kind, int64_t w, int64_t h) {
    const std::string p = placementPrefix(kind);
    auto read = [&](const char* suffix, int64_t def) {
        return ini.readInteger(kWindowsSection, key(p, suffix), def);
    };
    Rect r;
    switch (kind) {
        case ActiveKind::Dir:
            r.top = read("t", 0);
            r.left = read("l", 0);
            r.width = read("w", w / 3);
            r.height = read("h", h - 4);
            break;
        case ActiveKind::Auto:
        case ActiveKind::List:
            r.top = read("t", 0);
            r.left = read("l", w / 3);
            // The default width fills the area right of the Left just set.
            r.width = read("w", w - r.left - 4);
            r.height = read("h", h - 4);
            break;
        case ActiveKind::Viewer:
            r.top = read("t", h / 3 * 2);
            r.left = read("l", 0);
            r.width = read("w", w - 4);
            r.height = read("h", h / 3 - 3);
            break;
        default:
            break;
    }
    return r;
}

bool childStartsMaximised(const config::IniFile& ini, ActiveKind kind) {
    const std::string p = placementPrefix(kind);
    if (p.empty()) return false;
    return ini.readInteger(kWindowsSection, key(p, "max"), 0) == 1;
}

void saveChildSettings(config::IniFile& ini, ActiveKind kind, bool maximised, const Rect& rect,
                       const ChildExtras& extras) {
    const std::string p = placementPrefix(kind);
    if (p.empty()) return;
    if (maximised) {
        ini.writeInteger(kWindowsSection, key(p, "max"), 1);
        return;
    }
    ini.writeInteger(kWindowsSection, key(p, "max"), 0);
    ini.writeInteger(kWindowsSection, key(p, "t"), rect.top);
    ini.writeInteger(kWindowsSection, key(p, "l"), rect.left);
    ini.writeInteger(kWindowsSection, key(p, "w"), rect.width);
    ini.writeInteger(kWindowsSection, key(p, "h"), rect.height);
    if (kind == ActiveKind::Dir && extras.dirload) {
        // A folder name holding a line break would inject keys into the file.
        if (extras.dirload->find_first_of("\r\n") == std::string::npos)
            ini.writeString(kWindowsSection, "dirload", *extras.dirload);
    }
    if (kind == ActiveKind::Auto || kind == ActiveKind::List) {
        if (extras.style) ini.writeString(kWindowsSection, key(p, "style"), *extras.style);
        if (extras.showFolders)
            ini.writeString(kWindowsSection, key(p, "folder"), *extras.showFolders ? "1" : "0");
    }
}

void restoreChildDefault(config::IniFile& ini, ActiveKind kind) {
    const std::string p = placementPrefix(kind);
    if (p.empty()) return;
    ini.writeInteger(kWindowsSection, key(p, "max"), 0);
    for (const char* suffix : {"t", "l", "w", "h"}) ini.writeString(kWindowsSection, key(p, suffix), "");
    if (kind == ActiveKind::Dir) ini.writeString(kWindowsSection, "dirload", "");
    if (kind == ActiveKind::Auto || kind == ActiveKind::List) {
        ini.writeString(kWindowsSection, key(p, "style"), "");
        ini.writeString(kWindowsSection, key(p, "folder"), "");
    }
}

void eraseWindowSettings(config::IniFile& ini) {
    ini.eraseSection(kWindowsSection);
}

std::vector<ArrangedWindow> arrangePlan(const WindowRegistry& registry, const config::IniFile& ini, int64_t w,
                                        int64_t h) {
    std::vector<ArrangedWindow> plan;
    for (ActiveKind first : {ActiveKind::Dir, ActiveKind::Auto})
        for (WindowId id : registry.ofKind(first)) plan.push_back({id, childPlacement(ini, first, w, h)});
    for (WindowId id : registry.windowOrder()) {
        const ActiveKind kind = registry.find(id)->kind;
        if (kind == ActiveKind::List || kind == ActiveKind::Viewer)
            plan.push_back({id, childPlacement(ini, kind, w, h)});
    }
    return plan;
}

}  // namespace arbel::app
