#include "core/search/text_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace arbel::search {
namespace {

char foldRef(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Every non-overlapping occurrence, found the slow and obvious way.
std::vector<size_t> naiveAll(const std::string& text, const std::string& pat) {
    std::vector<size_t> out;
    if (pat.empty()) return out;
    for (size_t i = 0; i + pat.size() <= text.size();) {
        bool eq = true;
        for (size_t j = 0; j < pat.size() && eq; ++j) eq = foldRef(text[i + j]) == foldRef(pat[j]);
        if (eq) {
            out.push_back(i + 1);
            i += pat.size();
        } else {
            ++i;
        }
    }
    return out;
}

std::vector<size_t> stepAll(TTISearch& s, const std::string& text) {
    std::vector<size_t> out;
    for (size_t at = s.setText(text); at != 0; at = s.findNext()) out.push_back(at);
    return out;
}

TEST(TextSearch, IgnoresCaseOfAsciiLettersOnly) {
    TTISearch s;
    s.setPattern("ABC");
    EXPECT_EQ(s.setText("xxabcxx"), 3u);
    EXPECT_TRUE(s.found());
    s.setPattern("aBc");
    EXPECT_EQ(s.setText("xxAbCxx"), 3u);
    // Bytes of other characters must match exactly: "É" (C3 89) is not "é" (C3 A9),
    // and folding never makes '@' (0x40) equal '`' (0x60).
    s.setPattern("\xC3\x89t\xC3\xA9");
    EXPECT_EQ(s.setText("l'\xC3\xA9t\xC3\xA9"), 0u);
    EXPECT_EQ(s.setText("L'\xC3\x89T\xC3\xA9"), 3u);
    s.setPattern("@");
    EXPECT_EQ(s.setText("`"), 0u);
}

TEST(TextSearch, FindsRunsThatAPartialMatchOverlaps) {
    // A shift of a whole pattern length after a partial match jumps over these.
    TTISearch s;
    s.setPattern("aaaa");
    EXPECT_EQ(s.setText("xaaaa"), 2u);
    s.setPattern("abab");
    EXPECT_EQ(s.setText("xbabab"), 3u);
    s.setPattern("abcabd");
    EXPECT_EQ(s.setText("abcabcabd"), 4u);
}

TEST(TextSearch, StepsThroughOccurrencesWithoutOverlap) {
    TTISearch s;
    s.setPattern("ab");
    EXPECT_EQ(stepAll(s, "abab"), (std::vector<size_t>{1, 3}));
    EXPECT_EQ(s.matchCount(), 2u);
    EXPECT_FALSE(s.found());
    s.setPattern("aa");
    EXPECT_EQ(stepAll(s, "aaa"), (std::vector<size_t>{1}));
    s.setPattern("end");
    EXPECT_EQ(stepAll(s, "the END"), (std::vector<size_t>{5}));  // nothing after the text
    s.setPattern("longer");
    EXPECT_EQ(s.setText("long"), 0u);
    EXPECT_EQ(s.matchCount(), 0u);
}

TEST(TextSearch, AgreesWithPlainSearchOnRandomShortTexts) {
    // Small alphabets force many partial matches, which is where skip rules go wrong.
    std::mt19937 rng(7);
    const std::string alphabets[] = {"ab", "aAb", "abcB", "xyzXYZ\xC3\xA9"};
    TTISearch s;
    for (int round = 0; round < 60000; ++round) {
        const std::string& alpha = alphabets[round % 4];
        auto pick = [&] { return alpha[rng() % alpha.size()]; };
        std::string pat(1 + rng() % 6, ' ');
        for (char& c : pat) c = pick();
        std::string text(rng() % 40, ' ');
        for (char& c : text) c = pick();
        s.setPattern(pat);
        ASSERT_EQ(stepAll(s, text), naiveAll(text, pat)) << "pattern '" << pat << "' text '" << text << "'";
    }
}

TEST(TextSearch, VectorAndScalarPathsAgreeOnLongTexts) {
    // Texts long enough for the 32-byte candidate scan, with occurrences planted
    // at every alignment, near the end, and broken ones differing in one byte.
    std::mt19937 rng(11);
    TTISearch s;
    for (int round = 0; round < 3000; ++round) {
        std::string text(40 + rng() % 300, ' ');
        for (char& c : text) c = "abcdeABCDE \n"[rng() % 12];
        std::string pat(1 + rng() % 12, ' ');
        for (char& c : pat) c = "qQzZabXx"[rng() % 8];
        for (int k = rng() % 4; k > 0; --k) {
            size_t at = rng() % (text.size() - pat.size() + 1);
            text.replace(at, pat.size(), pat);
            if (rng() % 2) text[at + rng() % pat.size()] = '#';
        }
        s.setPattern(pat);
        auto want = naiveAll(text, pat);
        for (size_t from : {size_t{0}, size_t{1}, text.size() / 2}) {
            size_t expect = TTISearch::npos;
            for (size_t w : want)
                if (w - 1 >= from) {
                    expect = w - 1;
                    break;
                }
            ASSERT_EQ(s.find(text, from), expect) << pat << " in " << text << " from " << from;
            ASSERT_EQ(s.findScalar(text.data(), text.size(), from), expect);
        }
    }
}

TEST(TextSearch, FindsPatternInTheLastBytesOfALongBuffer) {
    // The match lies where no whole vector fits any more; a read past the end would
    // be reported by the address sanitizer.
    TTISearch s;
    s.setPattern("Needle");
    for (size_t len = 6; len < 140; ++len) {
        std::string text(len - 6, 'x');
        text += "nEEDLE";
        std::vector<char> exact(text.begin(), text.end());  // heap block of exact size
        ASSERT_EQ(s.find(exact.data(), exact.size()), len - 6) << len;
        exact.back() = 'x';
        ASSERT_EQ(s.find(exact.data(), exact.size()), TTISearch::npos) << len;
    }
}

}  // namespace
}  // namespace arbel::search
