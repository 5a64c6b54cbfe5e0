#pragma once
// Checksums of a file's content through GLib's GChecksum, read in large blocks
// so that a long file can be stopped between blocks and its progress shown.

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/cancel.h"
#include "platform/result.h"

namespace arbel {

enum class ChecksumKind { Sha256, Md5 };

// The lower-case hex digest of the regular file at `path` (a link is followed).
// `done` (may be null) counts the bytes read so far. A stop gives an error with
// ECANCELED.
Result<std::string> fileChecksum(const std::string& path, ChecksumKind kind, const CancelToken& cancel,
                                 std::atomic<uint64_t>* done = nullptr);

// The digest of bytes in memory (tests, short texts).
std::string dataChecksum(ChecksumKind kind, const void* data, std::size_t size);

}  // namespace arbel
