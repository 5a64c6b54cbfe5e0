#pragma once
// Arbel's command line: `arbel [FOLDER|FILE|file:// URL...]`, `--help`,
// `--version`. Parsing touches no file: it turns every argument into an
// absolute path (bytes as given; a URL's percent escapes decoded to bytes).
// What each path turns out to be on disk is decided later, by open_targets.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace arbel::app {

struct CommandLine {
    enum class Action { Start, Help, Version, Fail };
    Action action = Action::Start;
    // Absolute paths in the order given, "." and ".." taken out lexically.
    std::vector<std::string> paths;
    // Fail: what was wrong, one line for the user.
    std::string error;
};

// `args` are argv[1..]. "--help"/"-h" wins over "--version", which wins over any
// fault; "--" makes every later argument a path, even one starting with "-".
// Relative paths are taken from `cwd` (absolute; empty when unknown, which makes
// a relative path a fault).
CommandLine parseCommandLine(const std::vector<std::string>& args, std::string_view cwd);

// The path of a local file: URL ("file:///a%20b", "file://localhost/a",
// "file:/a"); any other host, a malformed escape or an escaped NUL gives nothing.
// A query or fragment is dropped: a name's own "?" and "#" arrive escaped.
std::optional<std::string> pathOfFileUrl(std::string_view url);

// The paths of the local ones among URIs that other programs send (file: URLs;
// an absolute path is taken as itself), cleaned; the others are dropped.
std::vector<std::string> pathsOfUris(const std::vector<std::string>& uris);

// An absolute path without empty, "." and ".." components (".." of "/" is "/"),
// no trailing "/" except for "/" itself. The same lexical rule as the desktop's
// own command-line handling, so a path means what it means in other programs.
std::string cleanPath(std::string_view absolute);

// The process's own arguments (argv[1..argc)), relative ones taken from the
// current folder.
CommandLine processCommandLine(int argc, char** argv);
// Prints what the command line asks for: the help or the version on stdout
// (gives 0), a fault on stderr when `final` (gives 2: the start is refused).
// -1: go on starting. Before the toolkit has taken its own options (such as
// -platform) a fault is not final.
int answerCommandLine(const CommandLine& commandLine, bool final);

std::string usageText();
std::string versionText();

}  // namespace arbel::app
