#pragma once
// The viewer's text: a byte stream split into paragraphs at CR, LF, CR LF and LF CR.
// Paragraphs are found lazily: the document reads only as far as it is asked, keeps
// one checkpoint per kCheckpointEvery paragraphs and a small cache of decoded ones,
// so a 1 GiB file shows its first page as fast as a small one and memory stays
// bounded whatever the size. The rest of the file is indexed in idle time
// (indexMore) so that the paragraph count, and the scroll range, become exact.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/result.h"

namespace arbel::viewer {

// Where a paragraph's bytes come from: an open file read with pread, or memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t size() const = 0;
    // Reads up to n bytes at off; fewer only at the end of the data.
    virtual Result<size_t> readAt(uint64_t off, char* buf, size_t n) = 0;
};

struct TextPos {
    int64_t paragraph = 0;
    int offset = 0;  // UTF-16 units into the paragraph's display text
    friend bool operator==(const TextPos&, const TextPos&) = default;
    friend auto operator<=>(const TextPos&, const TextPos&) = default;
};

class TextDocument {
public:
    static constexpr int64_t kCheckpointEvery = 1024;
    // A paragraph longer than this is broken (at a character boundary): a file of
    // one endless line must not be laid out in one piece.
    static constexpr uint64_t kMaxParagraphBytes = 1u << 20;
    static constexpr size_t kCacheBytes = 8u << 20;
    static constexpr size_t kBlockBytes = 65500;  // the read size the viewer always used

    explicit TextDocument(std::unique_ptr<ByteSource> source);
    ~TextDocument();

    // Opens a regular file (a FIFO or device is refused before any read).
    static Result<std::unique_ptr<TextDocument>> openFile(const std::string& path);
    static std::unique_ptr<TextDocument> fromBytes(std::string bytes);

    uint64_t sizeBytes() const { return size_; }
    // Paragraphs found so far; the total once indexComplete().
    int64_t knownParagraphs() const { return known_; }
    bool indexComplete() const { return complete_; }
    uint64_t bytesIndexed() const { return nextStart_; }
    // Indexes about maxBytes more of the file; returns indexComplete().
    bool indexMore(uint64_t maxBytes);
    // True when paragraph i exists (indexing as far as needed to know).
    bool hasParagraph(int64_t i);

    // The display text of paragraph i (empty when it does not exist): decoded as UTF-8
    // when the paragraph is valid UTF-8, else as Windows-1252; NUL shows as "·" and
    // byte 5 (the old style marker) as "§".
    const std::u16string& paragraph(int64_t i);

    // The text from a to b (either order) as UTF-8, paragraphs joined by "\n".
    // Refused when longer than maxBytes, rather than building a gigabyte string.
    Result<std::string> textBetween(TextPos a, TextPos b, size_t maxBytes = 64u << 20);

    // A read error met while paging through the file, if any (the text stops there).
    const Error* readError() const { return readError_ ? &*readErrorValue_ : nullptr; }

    // Drops every decoded paragraph (the index stays): the text is re-read on demand.
    void dropCache();
    size_t cachedBytes() const { return cacheBytes_; }
    size_t checkpointCount() const { return checkpoints_.size(); }

private:
    struct Bounds {
        uint64_t end;   // one past the paragraph's last byte
        uint64_t next;  // where the following paragraph starts
        bool last;      // no paragraph follows
    };
    Bounds boundsFrom(uint64_t start);
    bool scanOne();
    uint64_t startOf(int64_t i);
    const char* block(uint64_t index, size_t& len);
    std::string bytes(uint64_t from, uint64_t to);

    std::unique_ptr<ByteSource> source_;
    uint64_t size_ = 0;
    std::vector<uint64_t> checkpoints_;  // start of paragraph k × kCheckpointEvery
    int64_t known_ = 0;
    uint64_t nextStart_ = 0;  // start of paragraph known_
    bool complete_ = false;
    int64_t cursorPara_ = 0;  // a paragraph whose start is known, for sequential access
    uint64_t cursorStart_ = 0;

    struct Block {
        uint64_t index = UINT64_MAX;
        std::string data;
        uint64_t used = 0;
    };
    std::vector<Block> blocks_;
    uint64_t clock_ = 0;

    std::unordered_map<int64_t, std::u16string> cache_;
    size_t cacheBytes_ = 0;
    std::u16string empty_;
    bool readError_ = false;
    std::unique_ptr<Error> readErrorValue_;
};

// Display text of raw paragraph bytes (see TextDocument::paragraph).
std::u16string decodeParagraph(std::string_view bytes);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string toUtf8(std::u16string_view text);

}  // namespace arbel::viewer
