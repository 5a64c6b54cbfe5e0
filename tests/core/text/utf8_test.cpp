#include "core/text/utf8.h"

#include <gtest/gtest.h>

namespace arbel::text {
namespace {

size_t lengthOf(std::string_view s) {
    char32_t cp = 0;
    return decodeUtf8(s, 0, cp);
}

TEST(Utf8, DecodesEveryLengthAndRoundTrips) {
    for (char32_t cp : {U'A', U'\u00E9', U'\u20AC', U'\uFFFD', U'\U0001F600', U'\U0010FFFF'}) {
        std::string bytes;
        appendUtf8(cp, bytes);
        char32_t back = 0;
        ASSERT_EQ(decodeUtf8(bytes, 0, back), bytes.size());
        EXPECT_EQ(back, cp);
    }
    std::string s = "a\xC3\xA9\xE2\x82\xAC";
    EXPECT_EQ(utf8SequenceLength(s, 0), 1u);
    EXPECT_EQ(utf8SequenceLength(s, 1), 2u);
    EXPECT_EQ(utf8SequenceLength(s, 3), 3u);
}

TEST(Utf8, RefusesWhatIsNotOneShortestFormScalar) {
    EXPECT_EQ(lengthOf("\xC0\xAF"), 0u);          // overlong "/"
    EXPECT_EQ(lengthOf("\xE0\x80\xAF"), 0u);      // overlong, three bytes
    EXPECT_EQ(lengthOf("\xF0\x80\x80\xAF"), 0u);  // overlong, four bytes
    EXPECT_EQ(lengthOf("\xED\xA0\x80"), 0u);      // a surrogate
    EXPECT_EQ(lengthOf("\xF4\x90\x80\x80"), 0u);  // past U+10FFFF
    EXPECT_EQ(lengthOf("\x80"), 0u);              // a lone continuation byte
    EXPECT_EQ(lengthOf("\xFF"), 0u);
    EXPECT_EQ(lengthOf("\xC3"), 0u);  // cut short at the end
    EXPECT_EQ(lengthOf("\xE2\x82"), 0u);
    EXPECT_EQ(lengthOf("\xE2(\xAC"), 0u);  // not a continuation
    // An invalid byte is one byte long, so scanning never overruns the text.
    std::string cut = "ab\xE2\x82";
    EXPECT_EQ(utf8SequenceLength(cut, 2), 1u);
    EXPECT_EQ(utf8SequenceLength(cut, 3), 1u);
}

}  // namespace
}  // namespace arbel::text
