#include "platform/mime_apps.h"

#include <gio/gio.h>

#include <algorithm>

namespace arbel {

std::vector<std::string> registeredContentTypes() {
    std::vector<std::string> out;
    GList* types = g_content_types_get_registered();
    for (GList* t = types; t; t = t->next) out.emplace_back(static_cast<const char*>(t->data));
    g_list_free_full(types, g_free);
    std::sort(out.begin(), out.end());
    return out;
}

std::string contentTypeOfName(const std::string& fileName) {
    gboolean uncertain = FALSE;
    gchar* type = g_content_type_guess(fileName.c_str(), nullptr, 0, &uncertain);
    std::string out = type && !uncertain ? type : "";
    g_free(type);
    return out;
}

DefaultApp defaultAppFor(const std::string& contentType) {
    DefaultApp out;
    if (contentType.empty()) return out;
    GAppInfo* app = g_app_info_get_default_for_type(contentType.c_str(), FALSE);
    if (!app) return out;
    if (const char* id = g_app_info_get_id(app)) out.id = id;
    if (const char* line = g_app_info_get_commandline(app)) out.commandLine = line;
    g_object_unref(app);
    return out;
}

Status updateMimeDatabase(const std::string& mimeFolder) {
    gchar* argv[] = {const_cast<gchar*>("update-mime-database"), const_cast<gchar*>(mimeFolder.c_str()),
                     nullptr};
    gchar* err = nullptr;
    gint status = 0;
    GError* error = nullptr;
    const gboolean ran =
        g_spawn_sync(nullptr, argv, nullptr, GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL),
                     nullptr, nullptr, nullptr, &err, &status, &error);
    std::string message;
    if (!ran) {
        message = error && error->message ? error->message : "update-mime-database could not be started";
    } else if (!g_spawn_check_wait_status(status, nullptr)) {
        message = err && *err ? err : "update-mime-database failed";
        while (!message.empty() && message.back() == '\n') message.pop_back();
    }
    g_free(err);
    if (error) g_error_free(error);
    if (!message.empty()) return Error{mimeFolder, 0, message};
    return {};
}

}  // namespace arbel
