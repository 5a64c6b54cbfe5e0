#pragma once
// Reading a whole picture file into memory. Only regular files are read: a FIFO or
// device named like a picture must not block or stream for ever.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

namespace arbel::viewer {

inline constexpr uint64_t kMaxPictureFileBytes = 512ull << 20;

Result<std::vector<uint8_t>> readPictureFile(const std::string& path,
                                             uint64_t maxBytes = kMaxPictureFileBytes);

// Opens a regular file for reading (O_CLOEXEC, no controlling terminal, never blocking
// on a FIFO); other kinds of file are refused with an error naming the path.
Result<int> openRegularFile(const std::string& path);

}  // namespace arbel::viewer
