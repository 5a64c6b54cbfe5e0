#include "platform/content_type.h"

#include <gio/gio.h>

namespace arbel {

std::string contentTypeOf(const std::string& path) {
    GFile* file = g_file_new_for_path(path.c_str());
    GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE,
                                        nullptr, nullptr);
    std::string type;
    if (info) {
        if (const char* t = g_file_info_get_content_type(info)) type = t;
        g_object_unref(info);
    }
    g_object_unref(file);
    return type;
}

std::string contentTypeDescription(const std::string& type) {
    if (type.empty()) return {};
    gchar* d = g_content_type_get_description(type.c_str());
    std::string out = d ? d : "";
    g_free(d);
    return out;
}

}  // namespace arbel
