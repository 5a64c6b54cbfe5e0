#pragma once
// What the replace question of a copy or move shows of the two files: the size
// and time of the one standing at the target and of the incoming one, and which
// is newer and larger, so that the user decides seeing both.

#include <cstdint>
#include <string>

namespace arbel::ops {

struct ConflictSide {
    bool known = false;  // it could be read
    int64_t size = 0;
    int64_t mtime = 0;  // seconds since the epoch
    long mtimeNsec = 0;
};

struct ConflictSides {
    ConflictSide existing, incoming;
};

// Reads both, without following a link at either place.
ConflictSides readConflict(const std::string& source, const std::string& target);

// "Existing: 1,204 bytes, modified 2026-12-01 10:00:00\nIncoming: ...\nThe
// incoming file is newer and larger." Times in the local time zone.
std::string conflictDetails(const ConflictSides& sides);

}  // namespace arbel::ops
