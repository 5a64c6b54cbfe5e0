#pragma once
// What the viewer shows of a file, read and decoded away from the interface thread:
// a 50-megapixel JPEG or a GIF at the decoder's caps takes seconds, and a file on a
// slow mount may not answer at all. The viewer only puts the result on screen.

#include <QImage>
#include <memory>
#include <optional>
#include <string>

#include "core/viewer/view_mode.h"  // ViewKind, and Error with it

namespace arbel::viewer {
struct GifImage;
class TextDocument;
}  // namespace arbel::viewer

namespace arbel::ui {

struct ViewerLoad {
    viewer::ViewKind kind = viewer::ViewKind::None;
    std::optional<Error> error;                  // the file cannot be shown
    QImage picture;                              // bitmap, icon, metafile, JPEG
    std::shared_ptr<viewer::GifImage> gif;       // decoded frames
    std::unique_ptr<viewer::TextDocument> text;  // opened and indexing
    ViewerLoad();
    ~ViewerLoad();
    ViewerLoad(ViewerLoad&&) noexcept;
    ViewerLoad& operator=(ViewerLoad&&) noexcept;
};

// Runs on any thread.
ViewerLoad loadForViewing(const std::string& path);

}  // namespace arbel::ui
