#include "core/search/text_search.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ARBEL_HAVE_AVX2_PATH 1
#endif

namespace arbel::search {

namespace {

// Rough frequency of each (folded) byte in the files people search: text, source
// code and the odd binary. Only the order matters: the rarest bytes of a pattern
// give the fewest false candidates.
unsigned char byteFrequency(unsigned char c) {
    static const unsigned char letters[26] = {// a    b    c    d    e    f    g    h    i    j   k    l    m
                                              235, 170, 200, 205, 250, 185, 180, 215, 228, 90, 140, 210, 190,
                                              // n    o    p    q   r    s    t    u    v    w    x    y    z
                                              226, 230, 183, 80, 222, 224, 240, 195, 150, 175, 100, 172, 80};
    c = TTISearch::fold(c);
    if (c >= 'a' && c <= 'z') return letters[c - 'a'];
    if (c == ' ') return 255;
    if (c == '\n') return 220;
    if (c == 0) return 200;
    if (c >= '0' && c <= '9') return c <= '1' ? 160 : 140;
    if (c == '\t' || c == '\r') return 150;
    if (std::strchr(",.;:()=_\"'-/<>{}*#", c) != nullptr) return 150;
    if (c == 0xFF) return 150;
    if (c < 0x20) return 50;
    if (c >= 0x80) return 80;
    return 110;
}

unsigned char upper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
}

#ifdef ARBEL_HAVE_AVX2_PATH
bool cpuHasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

}  // namespace

void TTISearch::setPattern(std::string_view pattern) {
    pattern_.assign(pattern);
    folded_.resize(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) folded_[i] = static_cast<char>(fold(pattern[i]));
    const size_t m = folded_.size();

    // Shift by the byte just after the window: line up its last occurrence in the
    // pattern, or jump past it when the pattern does not hold it. Both case forms of a
    // letter share one entry because the text byte is folded before the look-up.
    for (size_t& s : skip_) s = m + 1;
    for (size_t i = 0; i < m; ++i) skip_[static_cast<unsigned char>(folded_[i])] = m - i;

    rare1_ = rare2_ = 0;
    if (m > 0) {
        auto freq = [&](size_t i) { return byteFrequency(static_cast<unsigned char>(folded_[i])); };
        for (size_t i = 1; i < m; ++i)
            if (freq(i) < freq(rare1_)) rare1_ = i;
        rare2_ = rare1_ == 0 ? (m > 1 ? 1 : 0) : 0;
        for (size_t i = 0; i < m; ++i)
            if (i != rare1_ && freq(i) < freq(rare2_)) rare2_ = i;
    }
    auto lo = [&](size_t i) { return m ? static_cast<unsigned char>(folded_[i]) : 0; };
    rare1Lo_ = lo(rare1_);
    rare1Up_ = upper(rare1Lo_);
    rare2Lo_ = lo(rare2_);
    rare2Up_ = upper(rare2Lo_);
#ifdef ARBEL_HAVE_AVX2_PATH
    vector_ = m > 0 && cpuHasAvx2();
#else
    vector_ = false;
#endif
}

bool TTISearch::matchesAt(const char* at) const {
    const size_t m = folded_.size();
    const auto* t = reinterpret_cast<const unsigned char*>(at);
    const auto* p = reinterpret_cast<const unsigned char*>(folded_.data());
    for (size_t j = 0; j < m; ++j)
        if (fold(t[j]) != p[j]) return false;
    return true;
}

size_t TTISearch::findScalar(const char* data, size_t n, size_t from) const {
    const size_t m = folded_.size();
    if (m == 0) return from <= n ? from : npos;
    if (n < m || from > n - m) return npos;
    const auto* t = reinterpret_cast<const unsigned char*>(data);
    const unsigned char last = static_cast<unsigned char>(folded_[m - 1]);
    size_t s = from;
    for (;;) {
        if (fold(t[s + m - 1]) == last && matchesAt(data + s)) return s;
        if (s + m >= n) return npos;  // no byte after the window: nothing further fits
        s += skip_[fold(t[s + m])];
        if (s > n - m) return npos;
    }
}

#ifdef ARBEL_HAVE_AVX2_PATH
namespace {

// Finds candidate windows 32 at a time: a window is a candidate when both rare bytes
// of the pattern stand at their offsets in either case; each candidate is then
// compared in full. Returns the first match, or the offset where the caller must
// go on with the scalar search (the last windows do not fill a whole vector).
__attribute__((target("avx2"))) size_t scanAvx2(const char* data, size_t n, size_t from, size_t m, size_t r1,
                                                size_t r2, unsigned char lo1, unsigned char up1,
                                                unsigned char lo2, unsigned char up2, const TTISearch& self,
                                                bool (*verify)(const TTISearch&, const char*), bool& hit) {
    const __m256i a1 = _mm256_set1_epi8(static_cast<char>(lo1));
    const __m256i b1 = _mm256_set1_epi8(static_cast<char>(up1));
    const __m256i a2 = _mm256_set1_epi8(static_cast<char>(lo2));
    const __m256i b2 = _mm256_set1_epi8(static_cast<char>(up2));
    size_t p = from;
    hit = false;
    while (n >= m + 31 && p <= n - m - 31) {
        const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p + r1));
        const __m256i v2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p + r2));
        const __m256i e1 = _mm256_or_si256(_mm256_cmpeq_epi8(v1, a1), _mm256_cmpeq_epi8(v1, b1));
        const __m256i e2 = _mm256_or_si256(_mm256_cmpeq_epi8(v2, a2), _mm256_cmpeq_epi8(v2, b2));
        auto mask = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(e1, e2)));
        while (mask != 0) {
            const size_t k = static_cast<size_t>(__builtin_ctz(mask));
            if (verify(self, data + p + k)) {
                hit = true;
                return p + k;
            }
            mask &= mask - 1;
        }
        p += 32;
    }
    return p;
}

}  // namespace
#endif

size_t TTISearch::find(const char* data, size_t n, size_t from) const {
#ifdef ARBEL_HAVE_AVX2_PATH
    if (vector_ && from < n) {
        bool hit = false;
        auto verify = [](const TTISearch& self, const char* at) { return self.matchesAt(at); };
        const size_t at = scanAvx2(data, n, from, folded_.size(), rare1_, rare2_, rare1Lo_, rare1Up_,
                                   rare2Lo_, rare2Up_, *this, verify, hit);
        if (hit) return at;
        from = at;
    }
#endif
    return findScalar(data, n, from);
}

size_t TTISearch::setText(std::string_view text) {
    text_ = text;
    next_ = 0;
    foundPosition_ = 0;
    matchCount_ = 0;
    if (text.size() < folded_.size()) return 0;
    return findNext();
}

size_t TTISearch::findNext() {
    foundPosition_ = 0;
    const size_t at = find(text_.data(), text_.size(), next_);
    if (at == npos) return 0;
    ++matchCount_;
    foundPosition_ = at + 1;
    // Occurrences never overlap: the next search starts after this one.
    next_ = at + (folded_.empty() ? 1 : folded_.size());
    return foundPosition_;
}

}  // namespace arbel::search
