#pragma once
// Which view shows a file: the picture kind by the file's real extension (the part
// after the last dot) and by its first bytes, text otherwise. So "photo.jpeg" is a
// picture, a GIF saved as ".jpg" still plays, and "xgif" without a dot is text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace arbel::viewer {

enum class ViewKind { None, Text, Bitmap, Icon, Metafile, Gif, Jpeg };

// Lower-cased ASCII extension after the last dot of the name (not of the folders),
// empty when the name has no dot or only a leading one.
std::string extensionOf(std::string_view path);

// Decides from the path and the file's first bytes (up to 64 suffice).
ViewKind chooseViewKind(std::string_view path, std::string_view head);

// Reads the first bytes of a regular file and decides. An empty path is the auto
// viewer with no file: None. Errors (missing file, not a regular file) pass on.
Result<ViewKind> chooseViewKindForFile(const std::string& path);

// " NAME" with the name (no folders) in ASCII upper case, then " " and the extra text:
// the viewer's information line (" NAME.GIF  320x200", " README ").
std::string infoLine(std::string_view path, std::string_view sizeText);

}  // namespace arbel::viewer
