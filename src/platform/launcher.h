#pragma once
// Starting other programs: a document with the desktop's default application, a
// program directly from an argument vector, and a Desktop Entry file's application.
//
// Every function returns at once (nothing waits for the started program, and the
// started program is never left behind as a zombie) and reports a program that
// could not be started as an Error whose message says why. No function runs a
// shell or changes this process's current folder: arguments reach the program
// exactly as given, and a working folder is set for the child only.
//
// All names are byte strings; non-UTF-8 names work.
//
//   openWithDefaultApp("/home/ann/photo.png");                  // mimeapps.list decides
//   spawnProgram({"/usr/bin/gimp", "photo.png"}, "/home/ann");  // no shell, runs in /home/ann
//   launchDesktopEntry("/home/ann/Desktop/editor.desktop", {"/home/ann/notes.txt"});

#include <string>
#include <vector>

#include "platform/result.h"

namespace arbel {

// Opens a local file with the default application of its content type, as the
// desktop chose it (mimeapps.list). Fails when the file is missing, when no
// application is set for its type, or when the application cannot be started.
Status openWithDefaultApp(const std::string& path);
// The same for a location given as a URI ("trash:///", "file:///...").
Status openUriWithDefaultApp(const std::string& uri);

// Starts argv[0] (a path, or a bare name looked up on the PATH) with the
// arguments argv[1...], in `workingFolder` when it is not empty (otherwise in
// this process's current folder). Fails, saying why, when the program is
// missing, not executable, or the folder cannot be entered.
Status spawnProgram(const std::vector<std::string>& argv, const std::string& workingFolder = {});

// Starts the application a Desktop Entry file describes (Type=Application), with
// `files` for its Exec field codes (%f %F %u %U). The entry's own Path= is its
// working folder. Fails for a file that is not a valid application entry or an
// application that cannot be started.
Status launchDesktopEntry(const std::string& desktopFile, const std::vector<std::string>& files = {});

// The full name of a program on the PATH ("gimp" -> "/usr/bin/gimp"), or empty.
// A name holding "/" is not looked up.
std::string findProgramOnPath(const std::string& name);

}  // namespace arbel
