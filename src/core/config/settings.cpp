#include "core/config/settings.h"

#include "core/config/ini_text.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace arbel::config {

namespace {
constexpr std::array kAllKeys{
    keys::MainMax,      keys::MainTop,    keys::MainLeft,   keys::MainWidth,  keys::MainHeight,
    keys::Auto,         keys::DirMax,     keys::DirTop,     keys::DirLeft,    keys::DirWidth,
    keys::DirHeight,    keys::DirLoad,    keys::AutoMax,    keys::AutoTop,    keys::AutoLeft,
    keys::AutoWidth,    keys::AutoHeight, keys::AutoStyle,  keys::AutoFolder, keys::ListMax,
    keys::ListTop,      keys::ListLeft,   keys::ListWidth,  keys::ListHeight, keys::ListStyle,
    keys::ListFolder,   keys::ViewerMax,  keys::ViewerTop,  keys::ViewerLeft, keys::ViewerWidth,
    keys::ViewerHeight, keys::Editor,     keys::DiskCopy,   keys::Blue,       keys::Wrap,
    keys::GifSpeed,     keys::Recycle,    keys::ConfirmDel, keys::Replace,    keys::Prefix,
};
}  // namespace

std::optional<int> listStyleIndex(std::string_view stored) {
    for (size_t i = 0; i < kListStyles.size(); ++i) {
        if (sameName(stored, kListStyles[i])) return int(i);
    }
    return std::nullopt;
}

std::span<const Key> allKeys() {
    return kAllKeys;
}

std::string getText(const IniFile& ini, const Key& key, std::string_view def) {
    std::string v = ini.readString(key.section, key.name, "");
    return v.empty() ? std::string(def) : v;
}
std::string getText(const IniFile& ini, const Key& key) {
    return getText(ini, key, key.defText);
}
int64_t get(const IniFile& ini, const Key& key) {
    return ini.readInteger(key.section, key.name, key.defInt);
}
bool getBool(const IniFile& ini, const Key& key) {
    return ini.readBool(key.section, key.name, key.defInt != 0);
}
bool getFlag(const IniFile& ini, const Key& key) {
    return !ini.readString(key.section, key.name, "").empty();
}

void setText(IniFile& ini, const Key& key, std::string_view value) {
    ini.writeString(key.section, key.name, value);
}
void set(IniFile& ini, const Key& key, int64_t value) {
    ini.writeInteger(key.section, key.name, value);
}
void setBool(IniFile& ini, const Key& key, bool value) {
    ini.writeBool(key.section, key.name, value);
}
void setFlag(IniFile& ini, const Key& key, bool on) {
    ini.writeString(key.section, key.name, on ? key.onText : std::string_view{});
}

PlacementKeys placementKeys(WindowKind kind) {
    switch (kind) {
        case WindowKind::Tree:
            return {keys::DirMax, keys::DirTop, keys::DirLeft, keys::DirWidth, keys::DirHeight};
        case WindowKind::Auto:
            return {keys::AutoMax, keys::AutoTop, keys::AutoLeft, keys::AutoWidth, keys::AutoHeight};
        case WindowKind::List:
            return {keys::ListMax, keys::ListTop, keys::ListLeft, keys::ListWidth, keys::ListHeight};
        case WindowKind::Viewer:
            break;
    }
    return {keys::ViewerMax, keys::ViewerTop, keys::ViewerLeft, keys::ViewerWidth, keys::ViewerHeight};
}

Rect defaultPlacement(WindowKind kind, int64_t w, int64_t h) {
    Rect r;
    switch (kind) {
        case WindowKind::Tree:
            r = {0, 0, w / 3, h - 4};
            break;
        case WindowKind::Auto:
        case WindowKind::List:
            r.top = 0;
            r.left = w / 3;
            r.width = w - r.left - 4;
            r.height = h - 4;
            break;
        case WindowKind::Viewer:
            r = {h / 3 * 2, 0, w - 4, h / 3 - 3};
            break;
    }
    return r;
}

Placement readPlacement(const IniFile& ini, WindowKind kind, int64_t w, int64_t h) {
    PlacementKeys k = placementKeys(kind);
    Placement p;
    p.maximised = get(ini, k.max) == 1;
    if (p.maximised) return p;
    Rect d = defaultPlacement(kind, w, h);
    p.rect.top = ini.readInteger(k.top.section, k.top.name, d.top);
    p.rect.left = ini.readInteger(k.left.section, k.left.name, d.left);
    if (kind == WindowKind::Auto || kind == WindowKind::List) d.width = w - p.rect.left - 4;
    p.rect.width = ini.readInteger(k.width.section, k.width.name, d.width);
    p.rect.height = ini.readInteger(k.height.section, k.height.name, d.height);
    return p;
}

namespace {
using Values = std::vector<std::pair<std::string, std::string>>;

void addRect(Values& v, const Key& top, const Key& left, const Key& width, const Key& height, const Rect& r) {
    v.emplace_back(top.name, std::to_string(r.top));
    v.emplace_back(left.name, std::to_string(r.left));
    v.emplace_back(width.name, std::to_string(r.width));
    v.emplace_back(height.name, std::to_string(r.height));
}
}  // namespace

void writePlacement(IniFile& ini, WindowKind kind, const Placement& p) {
    PlacementKeys k = placementKeys(kind);
    Values v;
    v.emplace_back(k.max.name, p.maximised ? "1" : "0");
    if (!p.maximised) addRect(v, k.top, k.left, k.width, k.height, p.rect);
    ini.writeValues(sections::Windows, v);
}

void restoreDefault(IniFile& ini, WindowKind kind) {
    PlacementKeys k = placementKeys(kind);
    Values v{{std::string(k.max.name), "0"},
             {std::string(k.top.name), ""},
             {std::string(k.left.name), ""},
             {std::string(k.width.name), ""},
             {std::string(k.height.name), ""}};
    switch (kind) {
        case WindowKind::Tree:
            v.emplace_back(keys::DirLoad.name, "");
            break;
        case WindowKind::Auto:
            v.emplace_back(keys::AutoStyle.name, "");
            v.emplace_back(keys::AutoFolder.name, "");
            break;
        case WindowKind::List:
            v.emplace_back(keys::ListStyle.name, "");
            v.emplace_back(keys::ListFolder.name, "");
            break;
        case WindowKind::Viewer:
            break;
    }
    ini.writeValues(sections::Windows, v);
}

Placement readFramePlacement(const IniFile& ini) {
    Placement p;
    p.maximised = !getFlag(ini, keys::MainMax);
    if (p.maximised) return p;
    p.rect = {get(ini, keys::MainTop), get(ini, keys::MainLeft), get(ini, keys::MainWidth),
              get(ini, keys::MainHeight)};
    return p;
}

void writeFrameSettings(IniFile& ini, const Placement& p, bool autoWindowOpen) {
    Values v;
    v.emplace_back(keys::MainMax.name, p.maximised ? "" : std::string(keys::MainMax.onText));
    if (!p.maximised) addRect(v, keys::MainTop, keys::MainLeft, keys::MainWidth, keys::MainHeight, p.rect);
    v.emplace_back(keys::Auto.name, autoWindowOpen ? "" : std::string(keys::Auto.onText));
    ini.writeValues(sections::Windows, v);
}

void restoreFrameDefault(IniFile& ini) {
    ini.writeValues(sections::Windows, {{std::string(keys::MainMax.name), ""},
                                        {std::string(keys::MainTop.name), ""},
                                        {std::string(keys::MainLeft.name), ""},
                                        {std::string(keys::MainWidth.name), ""},
                                        {std::string(keys::MainHeight.name), ""}});
}

bool autoWindowAtStart(const IniFile& ini) {
    return !getFlag(ini, keys::Auto);
}

}  // namespace arbel::config
