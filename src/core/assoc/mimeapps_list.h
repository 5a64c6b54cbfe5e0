#pragma once
// Edits of mimeapps.list that keep the file as the user and other programs left
// it: only the one key touched changes; every other line, group, comment and
// blank keeps its bytes and its place.

#include <string>
#include <string_view>

namespace arbel::assoc {

inline constexpr std::string_view kDefaultApplications = "Default Applications";
inline constexpr std::string_view kAddedAssociations = "Added Associations";

// Sets key=value in the group: the key's line is rewritten where it stands, or a
// line is added after the group's last key; a missing group is added at the end.
std::string setKey(std::string_view text, std::string_view group, std::string_view key,
                   std::string_view value);
// Removes the key's line from the group (nothing else changes when it is absent).
std::string removeKey(std::string_view text, std::string_view group, std::string_view key);
// The key's value in the group, or empty.
std::string keyValue(std::string_view text, std::string_view group, std::string_view key);

// The key's ";"-list with `id` first (added or moved to the front).
std::string addToList(std::string_view text, std::string_view group, std::string_view key,
                      std::string_view id);
// The key's ";"-list without `id`; the key goes when nothing is left in it.
std::string removeFromList(std::string_view text, std::string_view group, std::string_view key,
                           std::string_view id);

}  // namespace arbel::assoc
