#include "core/viewer/jpeg.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "core/viewer/file_bytes.h"

namespace arbel::viewer {
namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void onFatal(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (a premature end of data, a bad marker that was skipped) are not shown:
// the library recovers and gives the picture as far as it goes.
void onMessage(j_common_ptr, int) {}

// Everything that needs destruction lives outside the setjmp frame, so a longjmp
// skips no destructor of its own.
struct Decode {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    Picture pic;
    std::vector<uint8_t> row;
    std::string failure;

    bool run(const uint8_t* data, size_t size, const JpegLimits& limits) {
        cinfo.err = jpeg_std_error(&err.pub);
        err.pub.error_exit = onFatal;
        err.pub.emit_message = onMessage;
        err.message[0] = 0;
        if (setjmp(err.jump)) {
            failure = err.message;
            jpeg_destroy_decompress(&cinfo);
            return false;
        }
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
        jpeg_read_header(&cinfo, TRUE);
        if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
            cinfo.image_width > unsigned(limits.maxSide) || cinfo.image_height > unsigned(limits.maxSide) ||
            int64_t(cinfo.image_width) * cinfo.image_height > limits.maxPixels) {
            failure = "the picture is too large to show";
            jpeg_destroy_decompress(&cinfo);
            return false;
        }
        const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
        cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
        cinfo.dct_method = JDCT_ISLOW;
        cinfo.dither_mode = JDITHER_FS;
        jpeg_start_decompress(&cinfo);
        pic.width = static_cast<int>(cinfo.output_width);
        pic.height = static_cast<int>(cinfo.output_height);
        pic.pixels.assign(size_t(pic.width) * pic.height, 0xFF000000u);
        row.resize(size_t(pic.width) * cinfo.output_components);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW rows[1] = {row.data()};
            int y = static_cast<int>(cinfo.output_scanline);
            if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
            Argb* dst = pic.pixels.data() + size_t(y) * pic.width;
            const uint8_t* s = row.data();
            if (cmyk) {
                // Adobe writes CMYK inverted; the usual product gives RGB, rounded to
                // the nearest level (truncating would darken most pixels by one).
                for (int x = 0; x < pic.width; ++x, s += 4) {
                    uint32_t k = s[3];
                    auto level = [k](uint32_t c) { return (c * k + 127) / 255; };
                    dst[x] = 0xFF000000u | (level(s[0]) << 16) | (level(s[1]) << 8) | level(s[2]);
                }
            } else {
                for (int x = 0; x < pic.width; ++x, s += 3)
                    dst[x] = 0xFF000000u | (uint32_t(s[0]) << 16) | (uint32_t(s[1]) << 8) | s[2];
            }
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
};

}  // namespace

Result<Picture> decodeJpeg(const uint8_t* data, size_t size, const JpegLimits& limits) {
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return Error{"", 0, "not a JPEG picture"};
    Decode d;
    if (!d.run(data, size, limits))
        return Error{"", 0, d.failure.empty() ? "damaged JPEG picture" : d.failure};
    return std::move(d.pic);
}

Result<Picture> loadJpeg(const std::string& path, const JpegLimits& limits) {
    auto bytes = readPictureFile(path);
    if (!bytes) return bytes.error();
    auto pic = decodeJpeg(bytes->data(), bytes->size(), limits);
    if (!pic) {
        Error e = pic.error();
        e.path = path;
        return e;
    }
    return pic;
}

}  // namespace arbel::viewer
