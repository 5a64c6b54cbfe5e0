#include "platform/launcher.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

namespace arbel {
namespace {

struct GObjectFree {
    void operator()(gpointer p) const {
        if (p) g_object_unref(p);
    }
};
template <class T>
using GPtr = std::unique_ptr<T, GObjectFree>;

struct GErrorFree {
    void operator()(GError* e) const {
        if (e) g_error_free(e);
    }
};
using ErrorPtr = std::unique_ptr<GError, GErrorFree>;

Error gioError(const std::string& path, const GError* e, const char* fallback) {
    return Error{path, 0, e && e->message ? std::string(e->message) : std::string(fallback)};
}

Status launchWith(GAppInfo* app, GFile* file, const std::string& path) {
    GList files{file, nullptr, nullptr};
    GError* raw = nullptr;
    const gboolean ok = g_app_info_launch(app, file ? &files : nullptr, nullptr, &raw);
    ErrorPtr error(raw);
    if (!ok) return gioError(path, error.get(), "the application could not be started");
    return {};
}

}  // namespace

Status openWithDefaultApp(const std::string& path) {
    GPtr<GFile> file(g_file_new_for_path(path.c_str()));
    GError* raw = nullptr;
    GPtr<GFileInfo> info(g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                           G_FILE_QUERY_INFO_NONE, nullptr, &raw));
    ErrorPtr error(raw);
    if (!info) return gioError(path, error.get(), "the file cannot be read");
    const char* type = g_file_info_get_content_type(info.get());
    if (!type) return Error{path, 0, "its kind of file is unknown"};
    GPtr<GAppInfo> app(g_app_info_get_default_for_type(type, FALSE));
    if (!app) {
        char* described = g_content_type_get_description(type);
        std::string kind = described ? described : type;
        g_free(described);
        return Error{path, 0, "no application is set to open files of the kind \"" + kind + "\""};
    }
    return launchWith(app.get(), file.get(), path);
}

Status openUriWithDefaultApp(const std::string& uri) {
    GError* raw = nullptr;
    const gboolean ok = g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &raw);
    ErrorPtr error(raw);
    if (!ok) return gioError(uri, error.get(), "no application opens this location");
    return {};
}

Status spawnProgram(const std::vector<std::string>& argv, const std::string& workingFolder) {
    if (argv.empty() || argv.front().empty()) return Error{{}, 0, "no program was named"};
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    // Without G_SPAWN_DO_NOT_REAP_CHILD GLib starts the program through an
    // intermediate child, so nothing here has to wait for it; an exec failure
    // still comes back through the spawn's own error pipe.
    GSpawnFlags flags = G_SPAWN_STDIN_FROM_DEV_NULL;
    if (argv.front().find('/') == std::string::npos) flags = GSpawnFlags(flags | G_SPAWN_SEARCH_PATH);
    GError* raw = nullptr;
    const gboolean ok = g_spawn_async(workingFolder.empty() ? nullptr : workingFolder.c_str(), args.data(),
                                      nullptr, flags, nullptr, nullptr, nullptr, &raw);
    ErrorPtr error(raw);
    if (!ok) return gioError(argv.front(), error.get(), "the program could not be started");
    return {};
}

Status launchDesktopEntry(const std::string& desktopFile, const std::vector<std::string>& files) {
    GPtr<GDesktopAppInfo> app(g_desktop_app_info_new_from_filename(desktopFile.c_str()));
    if (!app) return Error{desktopFile, 0, "it is not an application entry, or its program is not installed"};
    GList* list = nullptr;
    for (auto it = files.rbegin(); it != files.rend(); ++it)
        list = g_list_prepend(list, g_file_new_for_path(it->c_str()));
    GError* raw = nullptr;
    const gboolean ok = g_app_info_launch(G_APP_INFO(app.get()), list, nullptr, &raw);
    g_list_free_full(list, g_object_unref);
    ErrorPtr error(raw);
    if (!ok) return gioError(desktopFile, error.get(), "the application could not be started");
    return {};
}

std::string findProgramOnPath(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) return {};
    char* found = g_find_program_in_path(name.c_str());
    std::string out = found ? found : "";
    g_free(found);
    return out;
}

}  // namespace arbel
