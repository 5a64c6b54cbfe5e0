#pragma once
// Change of case of file names: the four transforms on UTF-8 names, code point by code
// point, and the renames on disk that never replace another file.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace arbel::commands {

enum class CaseMode { Lower, Upper, Sentence, Title };

// The transforms. Letters are mapped one code point at a time with a fixed Unicode
// mapping (independent of the user's locale, so "i" never becomes a dotted capital);
// bytes that are not valid UTF-8 are kept as they are. Names are never shortened.
//  - Lower / Upper: every letter.
//  - Sentence: the first character upper case, every other lower case.
//  - Title: the first character and every character after a space upper case; all
//    other characters keep their case ("my HTML files" -> "My HTML Files").
std::string changeCase(std::string_view name, CaseMode mode);

// Code point mapping used by changeCase, exposed for the few callers that need it.
char32_t upperOf(char32_t c);
char32_t lowerOf(char32_t c);

// A name for one item: not empty, not "." or "..", no "/" and no NUL.
bool isSingleComponent(std::string_view name);

// The message shown when a name cannot be converted: "Cannot convert " + full name.
std::string cannotConvertMessage(const std::string& folder, const std::string& name);

struct CaseRename {
    std::string oldName;
    std::string newName;
    bool isFolder = false;  // the renamed item is a folder (or a link to one)
};

// Renames `name` in `folder` to its case-changed form. Never replaces an existing entry:
// when another file already has the new name the rename fails. Returns the rename done
// (oldName == newName when the name was already in that case, and nothing moved). The
// error carries the full name and the message of cannotConvertMessage.
Result<CaseRename> changeCaseOnDisk(const std::string& folder, const std::string& name, CaseMode mode);

struct CaseChangeReport {
    std::vector<CaseRename> renamed;  // successful renames that changed a name, in order
    int failures = 0;
    bool cancelled = false;  // the caller chose to stop after a failure
};

// Changes the case of several names of one folder in the given order. After each
// failure `goOn(error)` is asked whether to continue; renames already done stay.
CaseChangeReport changeCaseOfNames(const std::string& folder, const std::vector<std::string>& names,
                                   CaseMode mode, const std::function<bool(const Error&)>& goOn);

}  // namespace arbel::commands
