#include "core/app/command_line.h"

#include <cctype>
#include <cstdio>

#include "platform/dir.h"

#ifndef ARBEL_VERSION
#define ARBEL_VERSION "unknown"
#endif

namespace arbel::app {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

// "scheme://..." with an RFC 3986 scheme: a URL, not a relative path.
bool looksLikeUrl(std::string_view arg) {
    std::size_t colon = arg.find(':');
    if (colon == 0 || colon == std::string_view::npos) return false;
    if (!std::isalpha(static_cast<unsigned char>(arg[0]))) return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(arg[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return arg.substr(colon + 1).starts_with("//");
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string cleanPath(std::string_view absolute) {
    std::vector<std::string_view> parts;
    std::size_t pos = 0;
    while (pos <= absolute.size()) {
        std::size_t next = absolute.find('/', pos);
        if (next == std::string_view::npos) next = absolute.size();
        std::string_view part = absolute.substr(pos, next - pos);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        pos = next + 1;
    }
    std::string out;
    for (std::string_view part : parts) {
        out += '/';
        out += part;
    }
    return out.empty() ? "/" : out;
}

std::optional<std::string> pathOfFileUrl(std::string_view url) {
    if (!startsWithNoCase(url, "file:")) return std::nullopt;
    std::string_view rest = url.substr(5);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !(host.size() == 9 && startsWithNoCase(host, "localhost"))) return std::nullopt;
        if (slash == std::string_view::npos) return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with('/')) return std::nullopt;
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string out;
    out.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            out += rest[i];
            continue;
        }
        const int hi = i + 1 < rest.size() ? hexValue(rest[i + 1]) : -1;
        const int lo = i + 2 < rest.size() ? hexValue(rest[i + 2]) : -1;
        if (hi < 0 || lo < 0) return std::nullopt;
        const char byte = static_cast<char>(hi * 16 + lo);
        if (byte == '\0') return std::nullopt;
        out += byte;
        i += 2;
    }
    return out;
}

std::vector<std::string> pathsOfUris(const std::vector<std::string>& uris) {
    std::vector<std::string> out;
    for (const std::string& uri : uris) {
        if (uri.find('\0') != std::string::npos) continue;
        if (uri.starts_with('/')) {
            out.push_back(cleanPath(uri));
        } else if (auto path = pathOfFileUrl(uri)) {
            out.push_back(cleanPath(*path));
        }
    }
    return out;
}

CommandLine parseCommandLine(const std::vector<std::string>& args, std::string_view cwd) {
    CommandLine out;
    bool help = false, version = false, optionsEnded = false;
    std::string fault;
    auto failOnce = [&](std::string text) {
        if (fault.empty()) fault = std::move(text);
    };
    for (const std::string& arg : args) {
        if (!optionsEnded && arg.starts_with('-') && arg != "-") {
            if (arg == "--") {
                optionsEnded = true;
            } else if (arg == "--help" || arg == "-h") {
                help = true;
            } else if (arg == "--version") {
                version = true;
            } else {
                failOnce("unknown option: " + arg);
            }
            continue;
        }
        if (arg.empty()) {
            failOnce("an empty argument names no file or folder");
            continue;
        }
        if (arg.find('\0') != std::string::npos) {
            failOnce("a path cannot hold a NUL byte");
            continue;
        }
        if (startsWithNoCase(arg, "file:")) {
            if (auto path = pathOfFileUrl(arg)) {
                out.paths.push_back(cleanPath(*path));
            } else {
                failOnce("not a local file URL: " + arg);
            }
        } else if (looksLikeUrl(arg)) {
            failOnce("only local files and folders can be opened: " + arg);
        } else if (arg.starts_with('/')) {
            out.paths.push_back(cleanPath(arg));
        } else if (!cwd.empty() && cwd.starts_with('/')) {
            out.paths.push_back(cleanPath(std::string(cwd) + "/" + arg));
        } else {
            failOnce("the current folder is unknown, so a relative path cannot be used: " + arg);
        }
    }
    if (help) {
        out.action = CommandLine::Action::Help;
    } else if (version) {
        out.action = CommandLine::Action::Version;
    } else if (!fault.empty()) {
        out.action = CommandLine::Action::Fail;
        out.error = std::move(fault);
    }
    if (out.action != CommandLine::Action::Start) out.paths.clear();
    return out;
}

CommandLine processCommandLine(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return parseCommandLine(args, currentFolder());
}

int answerCommandLine(const CommandLine& commandLine, bool final) {
    switch (commandLine.action) {
        case CommandLine::Action::Help:
            std::fputs(usageText().c_str(), stdout);
            return 0;
        case CommandLine::Action::Version:
            std::fputs(versionText().c_str(), stdout);
            return 0;
        case CommandLine::Action::Fail:
            if (!final) return -1;
            std::fprintf(stderr, "arbel: %s\nTry 'arbel --help'.\n", commandLine.error.c_str());
            return 2;
        case CommandLine::Action::Start:
            break;
    }
    return -1;
}

std::string usageText() {
    return "Usage: arbel [FOLDER|FILE|file:// URL...]\n"
           "Opens a folder window on each folder given; for a file, a folder window on\n"
           "its folder with the file selected. When Arbel already runs in this session,\n"
           "the running one opens them.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "  --             every later argument is a path, even one starting with \"-\"\n";
}

std::string versionText() {
    return std::string("arbel ") + ARBEL_VERSION + "\n";
}

}  // namespace arbel::app
