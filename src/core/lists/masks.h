#pragma once
// File-name masks ("*.txt;*.doc", "readme") and folder lists ("/a;/b").
//
// A mask text is split at ";" and ",", each piece trimmed, case-folded and
// optionally expanded (a bare word finds every name containing it). Patterns
// know "*" (any run, also empty) and "?" (one character); every other
// character stands for itself. Neither list touches the file system.

#include <string>
#include <string_view>
#include <vector>

namespace arbel::lists {

// Patterns sorted case-insensitively, without duplicates.
using MaskList = std::vector<std::string>;

// Clears `list` and fills it from `text`. An empty text gives the one pattern
// "*". With `expand`, a piece without "*", "?" and "." becomes "*piece*", and a
// piece with a wildcard but without "." and not ending in "*" gets "*" appended.
void BuildMaskList(std::string_view text, MaskList& list, bool expand = true, bool caseSensitive = false);
MaskList BuildMaskList(std::string_view text, bool expand = true, bool caseSensitive = false);

// True when the bare file name matches at least one pattern. A name without
// "." is tested as name + ". ", so "*.*" takes every name while "*.txt" never
// takes a name without extension. An empty name matches; an empty list does not.
bool MatchesMaskList(std::string_view name, const MaskList& list, bool exact = true,
                     bool caseSensitive = false);

// One name against one pattern, both already case-folded by the caller. With
// `exact` false, a pattern without wildcards also matches as a substring.
// "*" may stand for any run: a later occurrence of a literal is tried when the
// first one leaves the rest unmatched ("*.txt" matches "a.txt.txt").
bool MatchMask(std::string_view name, std::string_view pattern, bool exact = true);

// The patterns joined with ";" in list order: what the `Mask` property reads back.
std::string JoinMaskList(const MaskList& list);

// True when the list lets every name through (it holds "*" or "**"), so
// callers can skip matching altogether.
bool MaskListTakesAll(const MaskList& list);

// Folder list of a file list: folder paths, each ending in "/", sorted
// case-insensitively without duplicates. Windows that show one folder add it
// with add(); the ";"-separated text form is for callers that really mean
// several folders (a folder name may itself contain ";").
class TPatternList {
public:
    // Clears the list and adds each ";"-separated piece; empty pieces are skipped.
    void setText(std::string_view text);
    // The folders joined with ";" (empty for an empty list).
    std::string text() const;

    void clear() { folders_.clear(); }
    // Adds one folder ("/" appended when missing); false when it was already there.
    bool add(std::string_view folder);

    const std::vector<std::string>& folders() const { return folders_; }
    std::size_t size() const { return folders_.size(); }
    bool empty() const { return folders_.empty(); }

private:
    std::vector<std::string> folders_;
};

}  // namespace arbel::lists
