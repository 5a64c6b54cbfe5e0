#include "core/viewer/text_document.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/text/utf8.h"
#include "core/viewer/file_bytes.h"

namespace arbel::viewer {
namespace {

class FileSource : public ByteSource {
public:
    FileSource(int fd, uint64_t size, std::string path) : fd_(fd), size_(size), path_(std::move(path)) {}
    ~FileSource() override { ::close(fd_); }
    uint64_t size() const override { return size_; }
    Result<size_t> readAt(uint64_t off, char* buf, size_t n) override {
        size_t got = 0;
        while (got < n) {
            ssize_t r = ::pread(fd_, buf + got, n - got, static_cast<off_t>(off + got));
            if (r < 0) {
                if (errno == EINTR) continue;
                return errnoError(path_);
            }
            if (r == 0) break;
            got += static_cast<size_t>(r);
        }
        return got;
    }

private:
    int fd_;
    uint64_t size_;
    std::string path_;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    uint64_t size() const override { return bytes_.size(); }
    Result<size_t> readAt(uint64_t off, char* buf, size_t n) override {
        if (off >= bytes_.size()) return size_t(0);
        n = std::min<size_t>(n, bytes_.size() - off);
        std::memcpy(buf, bytes_.data() + off, n);
        return n;
    }

private:
    std::string bytes_;
};

constexpr size_t kBlockCount = 8;

// Windows-1252's printable characters in 0x80..0x9F; the rest of the byte values
// are the same as Latin-1.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t shown(char16_t c) {
    if (c == 0) return 0x00B7;  // "·"
    if (c == 5) return 0x00A7;  // "§"
    return c;
}

// The paragraph as UTF-16 when it is valid UTF-8 throughout.
bool fromUtf8(std::string_view s, std::u16string& out) {
    out.clear();
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t cp;
        size_t len = text::decodeUtf8(s, i, cp);
        if (len == 0) return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(shown(char16_t(cp)));
        }
        i += len;
    }
    return true;
}

}  // namespace

std::u16string decodeParagraph(std::string_view bytes) {
    std::u16string out;
    if (fromUtf8(bytes, out)) return out;
    out.clear();
    for (unsigned char c : bytes) out.push_back(c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : shown(c));
    return out;
}

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        text::appendUtf8(char32_t(cp), out);
    }
    return out;
}

TextDocument::TextDocument(std::unique_ptr<ByteSource> source)
    : source_(std::move(source)), size_(source_->size()), blocks_(kBlockCount) {
    checkpoints_.push_back(0);
}

TextDocument::~TextDocument() = default;

Result<std::unique_ptr<TextDocument>> TextDocument::openFile(const std::string& path) {
    auto fd = openRegularFile(path);
    if (!fd) return fd.error();
    off_t size = ::lseek(*fd, 0, SEEK_END);
    if (size < 0) {
        int code = errno;
        ::close(*fd);
        return errnoError(path, code);
    }
    return std::make_unique<TextDocument>(std::make_unique<FileSource>(*fd, uint64_t(size), path));
}

std::unique_ptr<TextDocument> TextDocument::fromBytes(std::string bytes) {
    return std::make_unique<TextDocument>(std::make_unique<MemorySource>(std::move(bytes)));
}

// One of a few cached blocks of the file; a short or failed read ends the text there.
const char* TextDocument::block(uint64_t index, size_t& len) {
    Block* victim = &blocks_[0];
    for (Block& b : blocks_) {
        if (b.index == index) {
            b.used = ++clock_;
            len = b.data.size();
            return b.data.data();
        }
        if (b.used < victim->used) victim = &b;
    }
    uint64_t off = index * kBlockBytes;
    size_t want = off < size_ ? size_t(std::min<uint64_t>(kBlockBytes, size_ - off)) : 0;
    victim->data.resize(want);
    auto got = source_->readAt(off, victim->data.data(), want);
    size_t n = got ? *got : 0;
    if (!got && !readError_) {
        readError_ = true;
        readErrorValue_ = std::make_unique<Error>(got.error());
    }
    if (n < want) {
        // The file shrank or could not be read: what follows does not exist.
        size_ = off + n;
        victim->data.resize(n);
    }
    victim->index = index;
    victim->used = ++clock_;
    len = victim->data.size();
    return victim->data.data();
}

std::string TextDocument::bytes(uint64_t from, uint64_t to) {
    std::string out;
    out.reserve(size_t(to - from));
    while (from < to) {
        size_t len;
        uint64_t bi = from / kBlockBytes;
        const char* b = block(bi, len);
        uint64_t inBlock = from - bi * kBlockBytes;
        if (inBlock >= len) break;
        size_t n = size_t(std::min<uint64_t>(len - inBlock, to - from));
        out.append(b + inBlock, n);
        from += n;
    }
    return out;
}

TextDocument::Bounds TextDocument::boundsFrom(uint64_t start) {
    const uint64_t limit = std::min(size_, start + kMaxParagraphBytes);
    uint64_t pos = start;
    while (pos < std::min(size_, limit)) {
        size_t len;
        uint64_t bi = pos / kBlockBytes;
        const char* b = block(bi, len);
        uint64_t inBlock = pos - bi * kBlockBytes;
        if (inBlock >= len) break;
        size_t stop = size_t(std::min<uint64_t>(len, inBlock + (limit - pos)));
        for (size_t k = inBlock; k < stop; ++k) {
            char c = b[k];
            if (c == '\n' || c == '\r') {
                uint64_t at = bi * kBlockBytes + k;
                uint64_t next = at + 1;
                if (next < size_) {
                    char following = k + 1 < len ? b[k + 1] : bytes(next, next + 1).c_str()[0];
                    if (following == (c == '\n' ? '\r' : '\n')) ++next;
                }
                return {at, std::min(next, size_), false};
            }
        }
        pos = bi * kBlockBytes + stop;
    }
    if (limit >= size_ || pos >= size_) return {size_, size_, true};
    // No break within the limit: break at a character boundary before it.
    uint64_t end = limit;
    for (int back = 0; back < 3 && end > start + 1; ++back) {
        char c = bytes(end, end + 1).c_str()[0];
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) break;
        --end;
    }
    return {end, end, false};
}

bool TextDocument::scanOne() {
    if (complete_) return false;
    Bounds b = boundsFrom(nextStart_);
    ++known_;
    if (b.last) {
        complete_ = true;
        return false;
    }
    nextStart_ = b.next;
    if (known_ % kCheckpointEvery == 0) checkpoints_.push_back(nextStart_);
    return true;
}

bool TextDocument::indexMore(uint64_t maxBytes) {
    uint64_t stopAt = nextStart_ + maxBytes;
    while (!complete_ && nextStart_ < stopAt) scanOne();
    // An index that is complete knows the last (possibly empty) paragraph too.
    return complete_;
}

bool TextDocument::hasParagraph(int64_t i) {
    if (i < 0) return false;
    while (!complete_ && known_ <= i) scanOne();
    return i < known_;
}

uint64_t TextDocument::startOf(int64_t i) {
    int64_t k = i / kCheckpointEvery;
    int64_t para = k * kCheckpointEvery;
    uint64_t start = checkpoints_[size_t(k)];
    if (cursorPara_ <= i && cursorPara_ >= para) {
        para = cursorPara_;
        start = cursorStart_;
    }
    while (para < i) {
        start = boundsFrom(start).next;
        ++para;
    }
    cursorPara_ = i;
    cursorStart_ = start;
    return start;
}

const std::u16string& TextDocument::paragraph(int64_t i) {
    if (auto it = cache_.find(i); it != cache_.end()) return it->second;
    if (!hasParagraph(i)) return empty_;
    uint64_t start = startOf(i);
    Bounds b = boundsFrom(start);
    std::u16string text = decodeParagraph(bytes(start, b.end));
    if (!b.last) {
        cursorPara_ = i + 1;
        cursorStart_ = b.next;
    }
    if (cacheBytes_ + text.size() * 2 > kCacheBytes) dropCache();
    cacheBytes_ += text.size() * 2;
    return cache_.emplace(i, std::move(text)).first->second;
}

void TextDocument::dropCache() {
    cache_.clear();
    cacheBytes_ = 0;
}

Result<std::string> TextDocument::textBetween(TextPos a, TextPos b, size_t maxBytes) {
    if (b < a) std::swap(a, b);
    std::string out;
    for (int64_t p = a.paragraph; p <= b.paragraph && hasParagraph(p); ++p) {
        const std::u16string& text = paragraph(p);
        size_t from = p == a.paragraph ? std::min<size_t>(std::max(a.offset, 0), text.size()) : 0;
        size_t to = p == b.paragraph ? std::min<size_t>(std::max(b.offset, 0), text.size()) : text.size();
        if (p != a.paragraph) out += '\n';
        if (to > from) out += toUtf8(std::u16string_view(text).substr(from, to - from));
        if (out.size() > maxBytes) return Error{"", 0, "The selection is too large to copy."};
    }
    return out;
}

}  // namespace arbel::viewer
