#include "ui/viewer/viewer_load.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "core/viewer/file_bytes.h"
#include "core/viewer/gif.h"
#include "core/viewer/jpeg.h"
#include "core/viewer/text_document.h"
#include "core/viewer/viewer_rules.h"
#include "ui/app/scope_guards.h"

namespace arbel::ui {

using viewer::ViewKind;

ViewerLoad::ViewerLoad() = default;
ViewerLoad::~ViewerLoad() = default;
ViewerLoad::ViewerLoad(ViewerLoad&&) noexcept = default;
ViewerLoad& ViewerLoad::operator=(ViewerLoad&&) noexcept = default;

namespace {

void readWithQt(ViewerLoad& out, const std::string& path, ViewKind kind) {
    auto bytes = viewer::readPictureFile(path);
    if (!bytes) {
        out.error = bytes.error();
        return;
    }
    QByteArray data(reinterpret_cast<const char*>(bytes->data()), qsizetype(bytes->size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, kind == ViewKind::Icon ? "ico" : "bmp");
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(512);
    out.picture = reader.read();
    if (out.picture.isNull()) out.error = Error{path, 0, reader.errorString().toStdString()};
}

}  // namespace

ViewerLoad loadForViewing(const std::string& path) {
    ViewerLoad out;
    auto kind = viewer::chooseViewKindForFile(path);
    if (!kind) {
        out.error = kind.error();
        return out;
    }
    out.kind = *kind;
    switch (*kind) {
        case ViewKind::Bitmap:
        case ViewKind::Icon:
            readWithQt(out, path, *kind);
            break;
        case ViewKind::Metafile: {
            if (!QImageReader::supportedImageFormats().contains("wmf")) {
                out.error = Error{path, 0, viewer::kNoMetafileReader};
                break;
            }
            QImageReader reader(displayPath(path));
            out.picture = reader.read();
            if (out.picture.isNull()) out.error = Error{path, 0, reader.errorString().toStdString()};
            break;
        }
        case ViewKind::Gif: {
            auto img = viewer::loadGif(path);
            if (!img) {
                out.error = img.error();
                break;
            }
            out.gif = std::make_shared<viewer::GifImage>(std::move(*img));
            break;
        }
        case ViewKind::Jpeg: {
            auto pic = viewer::loadJpeg(path);
            if (!pic) {
                out.error = pic.error();
                break;
            }
            // The image keeps the decoded pixels themselves: a big picture is not held twice.
            auto* held = new viewer::Picture(std::move(*pic));
            out.picture = QImage(
                reinterpret_cast<uchar*>(held->pixels.data()), held->width, held->height,
                qsizetype(held->width) * 4, QImage::Format_RGB32,
                [](void* p) { delete static_cast<viewer::Picture*>(p); }, held);
            break;
        }
        case ViewKind::Text: {
            auto doc = viewer::TextDocument::openFile(path);
            if (!doc) {
                out.error = doc.error();
                break;
            }
            out.text = std::move(*doc);
            break;
        }
        case ViewKind::None:
            break;
    }
    return out;
}

}  // namespace arbel::ui
