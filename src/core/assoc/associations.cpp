#include "core/assoc/associations.h"

#include <unistd.h>

#include "core/assoc/mimeapps_list.h"
#include "core/config/file_store.h"
#include "core/lists/desktop_entry.h"
#include "core/shortcuts/shell_link.h"
#include "platform/content_type.h"
#include "platform/dir.h"
#include "platform/fileops.h"
#include "platform/mime_apps.h"
#include "platform/paths.h"

namespace arbel::assoc {

namespace {

constexpr std::string_view kTypePrefix = "application/x-arbel-";
constexpr std::string_view kPackagePrefix = "arbel-";
// Above the usual 50, so the user's choice wins over a system type's glob for the
// same extension (and goes again with the package when it is removed).
constexpr std::string_view kGlobWeight = "80";

std::string xmlEscaped(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

bool validTypeName(std::string_view type) {
    size_t slash = type.find('/');
    if (slash == 0 || slash == std::string_view::npos || slash + 1 == type.size()) return false;
    for (char c : type) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '/' || c == '-' || c == '+' || c == '.' || c == '_';
        if (!ok) return false;
    }
    return type.find('/', slash + 1) == std::string_view::npos;
}

std::string package(const std::string& type, const std::string& comment, std::string_view extension) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"";
    out += xmlEscaped(type);
    out += "\">\n";
    if (!comment.empty()) {
        out += "    <comment>";
        out += xmlEscaped(comment);
        out += "</comment>\n";
    }
    out += "    <glob pattern=\"*.";
    out += extension;
    out += "\" weight=\"";
    out += kGlobWeight;
    out += "\"/>\n";
    out += "  </mime-type>\n</mime-info>\n";
    return out;
}

Status removeIfThere(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return errnoError(path);
    return {};
}

Status writeWithFolder(const std::string& path, const std::string& text) {
    if (Status made = makeDirs(parentPath(path)); !made) return made.error();
    return shortcuts::writeFileReplacing(path, text, 0644);
}

std::string readSmall(const std::string& path) {
    auto text = config::readForUpdate(path);
    return text ? *text : std::string();
}

}  // namespace

std::string normalExtension(std::string_view typed) {
    std::string out;
    for (char c : typed) {
        if (c == '.') continue;
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '+' || c == '-' || c == '_';
        if (!ok) return {};
        out += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
    return out;
}

std::string arbelTypeFor(std::string_view extension) {
    return std::string(kTypePrefix) + std::string(extension);
}

std::string arbelAppIdFor(std::string_view extension) {
    return std::string(kPackagePrefix) + std::string(extension) + ".desktop";
}

Folders Folders::current() {
    return {arbel::dataHome(), arbel::configHome()};
}

std::string AssociationStore::packagePath(std::string_view extension) const {
    return f_.dataHome + "/mime/packages/" + std::string(kPackagePrefix) + std::string(extension) + ".xml";
}

std::string AssociationStore::appEntryPath(std::string_view extension) const {
    return f_.dataHome + "/applications/" + arbelAppIdFor(extension);
}

std::string AssociationStore::mimeAppsPath() const {
    return f_.configHome + "/mimeapps.list";
}

bool AssociationStore::ownsExtension(std::string_view extension) const {
    const std::string e = normalExtension(extension);
    return !e.empty() && isRegularFile(packagePath(e));
}

bool AssociationStore::ownsType(const std::string& type) const {
    if (type.rfind(kTypePrefix, 0) != 0) return false;
    const std::string e = normalExtension(type.substr(kTypePrefix.size()));
    return !e.empty() && arbelTypeFor(e) == type && isRegularFile(packagePath(e)) &&
           readSmall(packagePath(e)).find("type=\"" + type + "\"") != std::string::npos;
}

Status AssociationStore::rebuild() {
    const std::string mime = f_.dataHome + "/mime";
    if (Status made = makeDirs(mime + "/packages"); !made) return made.error();
    return updateMimeDatabase(mime);
}

Status AssociationStore::setDefault(const std::string& type, const std::string& appId) {
    if (Status made = makeDirs(f_.configHome); !made) return made.error();
    const std::string path = mimeAppsPath();
    config::UpdateLock lock = config::lockForUpdate(path);
    auto text = config::readForUpdate(path);
    if (!text) return text.error();
    std::string edited = addToList(*text, kAddedAssociations, type, appId);
    edited = setKey(edited, kDefaultApplications, type, appId + ";");
    return config::replaceFile(path, edited, {}, 0644);
}

Status AssociationStore::dropDefaults(const std::string& appId, const std::vector<std::string>& types) {
    const std::string path = mimeAppsPath();
    if (!pathExists(path)) return {};
    config::UpdateLock lock = config::lockForUpdate(path);
    auto text = config::readForUpdate(path);
    if (!text) return text.error();
    std::string edited = *text;
    for (const std::string& type : types) {
        edited = removeFromList(edited, kDefaultApplications, type, appId);
        edited = removeFromList(edited, kAddedAssociations, type, appId);
    }
    if (edited == *text) return {};
    return config::replaceFile(path, edited, {}, 0644);
}

Status AssociationStore::registerProgram(std::string_view extension, const std::string& description,
                                         const std::string& program) {
    const std::string e = normalExtension(extension);
    if (e.empty()) return Error{std::string(extension), 0, std::string(kInvalidExtension)};
    if (!isRegularFile(program)) return Error{program, 0, std::string(kInvalidCommand)};
    auto exec = shortcuts::execForProgram(program, {}, "%f");
    if (!exec) return Error{program, 0, std::string(kUnnamedProgram)};
    const std::string type = arbelTypeFor(e);
    const std::string comment = lists::utf8ForDisplay(description);
    if (Status s = writeWithFolder(packagePath(e), package(type, comment, e)); !s) return s;

    std::string entry = "[Desktop Entry]\nType=Application\n";
    auto add = [&entry](std::string_view key, std::string_view value) {
        entry += key;
        entry += '=';
        entry += lists::escapeDesktopValue(value);
        entry += '\n';
    };
    add("Name", lists::utf8ForDisplay(baseName(program)));
    if (!comment.empty()) add("Comment", comment);
    add("Exec", *exec);
    entry += "MimeType=" + type + ";\nNoDisplay=true\nTerminal=false\n";
    if (Status s = writeWithFolder(appEntryPath(e), entry); !s) return s;
    if (Status s = setDefault(type, arbelAppIdFor(e)); !s) return s;
    return rebuild();
}

Status AssociationStore::pointAt(std::string_view extension, const std::string& type) {
    const std::string e = normalExtension(extension);
    if (e.empty()) return Error{std::string(extension), 0, std::string(kInvalidExtension)};
    if (!validTypeName(type)) return Error{type, 0, "not a content type"};
    // The extension's own type, made by an earlier "new program", goes with it.
    if (type != arbelTypeFor(e) && ownsType(arbelTypeFor(e))) {
        if (Status s = removeIfThere(appEntryPath(e)); !s) return s;
        if (Status s = dropDefaults(arbelAppIdFor(e), {arbelTypeFor(e)}); !s) return s;
    }
    if (Status s = writeWithFolder(packagePath(e), package(type, {}, e)); !s) return s;
    return rebuild();
}

Status AssociationStore::removeAssociation(std::string_view extension) {
    const std::string e = normalExtension(extension);
    if (!ownsExtension(e)) return Error{std::string(extension), 0, std::string(kNotOurs)};
    if (Status s = removeIfThere(packagePath(e)); !s) return s;
    if (Status s = removeIfThere(appEntryPath(e)); !s) return s;
    if (Status s = dropDefaults(arbelAppIdFor(e), {arbelTypeFor(e)}); !s) return s;
    return rebuild();
}

Status AssociationStore::deleteType(const std::string& type) {
    if (!ownsType(type)) return Error{type, 0, std::string(kNotOurs)};
    const std::string e = type.substr(kTypePrefix.size());
    // Every extension Arbel pointed at the type goes with it.
    const std::string packages = f_.dataHome + "/mime/packages";
    std::vector<std::string> ours;
    if (auto dir = DirHandle::open(packages)) {
        (void)forEachEntry(*dir, [&](const RawEntry& entry) {
            std::string name(entry.name);
            if (name.rfind(kPackagePrefix, 0) == 0 && name.size() > 4 && name.ends_with(".xml"))
                ours.push_back(name);
            return true;
        });
    }
    for (const std::string& name : ours) {
        const std::string path = packages + "/" + name;
        if (readSmall(path).find("type=\"" + type + "\"") == std::string::npos) continue;
        if (Status s = removeIfThere(path); !s) return s;
    }
    if (Status s = removeIfThere(appEntryPath(e)); !s) return s;
    if (Status s = dropDefaults(arbelAppIdFor(e), {type}); !s) return s;
    return rebuild();
}

std::vector<TypeLine> typeLines() {
    std::vector<TypeLine> out;
    for (const std::string& type : registeredContentTypes()) {
        const std::string description = contentTypeDescription(type);
        const std::string command = defaultAppFor(type).commandLine;
        if (description == command) continue;
        out.push_back({type, description, command, description + " (" + command + ")"});
    }
    return out;
}

std::string proposedExtension(std::string_view name, bool withDot) {
    const size_t slash = name.rfind('/');
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return std::string(name.substr(withDot ? dot : dot + 1));
}

std::string typeOfExtension(std::string_view extension) {
    const std::string e = normalExtension(extension);
    if (e.empty()) return {};
    return contentTypeOfName("x." + e);
}

}  // namespace arbel::assoc
