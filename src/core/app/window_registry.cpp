#include "core/app/window_registry.h"

#include <algorithm>

namespace arbel::app {

namespace {

template <class T>
bool eraseValue(std::vector<T>& v, const T& value) {
    auto it = std::find(v.begin(), v.end(), value);
    if (it == v.end()) return false;
    v.erase(it);
    return true;
}

}  // namespace

void WindowRegistry::add(WindowEntry entry) {
    if (find(entry.id)) return;
    windowOrder_.push_back(entry.id);
    activationOrder_.push_back(entry.id);
    entries_.push_back(std::move(entry));
}

std::optional<std::size_t> WindowRegistry::remove(WindowId id) {
    auto it = std::find(windowOrder_.begin(), windowOrder_.end(), id);
    if (it == windowOrder_.end()) return std::nullopt;
    const auto index = static_cast<std::size_t>(it - windowOrder_.begin());
    windowOrder_.erase(it);
    eraseValue(activationOrder_, id);
    entries_.erase(
        std::remove_if(entries_.begin(), entries_.end(), [id](const WindowEntry& e) { return e.id == id; }),
        entries_.end());
    return index;
}

bool WindowRegistry::touch(WindowId id) {
    if (!eraseValue(activationOrder_, id)) return false;
    activationOrder_.push_back(id);
    return true;
}

std::optional<WindowId> WindowRegistry::active() const {
    if (activationOrder_.empty()) return std::nullopt;
    return activationOrder_.back();
}

const WindowEntry* WindowRegistry::find(WindowId id) const {
    for (const auto& e : entries_)
        if (e.id == id) return &e;
    return nullptr;
}

bool WindowRegistry::setPath(WindowId id, std::string path) {
    for (auto& e : entries_)
        if (e.id == id) {
            e.path = std::move(path);
            return true;
        }
    return false;
}

bool WindowRegistry::setCaption(WindowId id, std::string caption) {
    for (auto& e : entries_)
        if (e.id == id) {
            e.caption = std::move(caption);
            return true;
        }
    return false;
}

std::vector<WindowId> WindowRegistry::ofKind(ActiveKind kind) const {
    std::vector<WindowId> out;
    for (WindowId id : windowOrder_)
        if (find(id)->kind == kind) out.push_back(id);
    return out;
}

std::optional<WindowId> WindowRegistry::switchTarget(ActiveKind activeKind, SwitchDirection direction) const {
    const bool childKind = activeKind == ActiveKind::Dir || activeKind == ActiveKind::Auto ||
                           activeKind == ActiveKind::List || activeKind == ActiveKind::Viewer;
    if (!childKind || windowOrder_.empty()) return std::nullopt;
    const auto current = active();
    auto it = std::find(windowOrder_.begin(), windowOrder_.end(), *current);
    const std::size_t n = windowOrder_.size();
    const std::size_t i = static_cast<std::size_t>(it - windowOrder_.begin());
    const std::size_t target = direction == SwitchDirection::Next ? (i + 1) % n : (i + n - 1) % n;
    return windowOrder_[target];
}

std::optional<WindowId> WindowRegistry::byMenuNumber(std::size_t n) const {
    if (n == 0 || n > windowOrder_.size()) return std::nullopt;
    return windowOrder_[n - 1];
}

std::vector<WindowMenuEntry> WindowRegistry::menuEntries() const {
    std::vector<WindowMenuEntry> out;
    const auto current = active();
    out.reserve(windowOrder_.size());
    for (std::size_t i = 0; i < windowOrder_.size(); ++i) {
        const WindowEntry* e = find(windowOrder_[i]);
        out.push_back({e->id, windowMenuLabel(i + 1, e->caption), current && *current == e->id});
    }
    return out;
}

std::vector<WindowId> WindowRegistry::showingFolder(std::string_view folder) const {
    std::vector<WindowId> out;
    for (WindowId id : windowOrder_) {
        const WindowEntry* e = find(id);
        if ((e->kind == ActiveKind::Auto || e->kind == ActiveKind::List) && e->path == folder)
            out.push_back(id);
    }
    return out;
}

std::vector<WindowId> WindowRegistry::atOrBelow(std::string_view path) const {
    std::vector<WindowId> out;
    for (WindowId id : windowOrder_) {
        const WindowEntry* e = find(id);
        if (!e->path.empty() && isSameOrBelow(e->path, path)) out.push_back(id);
    }
    return out;
}

std::string windowMenuLabel(std::size_t number, std::string_view caption) {
    std::string label = "&";
    label += std::to_string(number);
    label += ' ';
    for (char c : caption) {
        if (c == '&') label += '&';
        label += c;
    }
    return label;
}

std::string captionFor(ActiveKind kind, std::string_view path, bool autoViewer) {
    switch (kind) {
        case ActiveKind::Auto:
            return "Auto: " + std::string(path);
        case ActiveKind::Viewer:
            return autoViewer ? "Auto View: " + std::string(path) : std::string(path);
        default:
            return std::string(path);
    }
}

}  // namespace arbel::app
