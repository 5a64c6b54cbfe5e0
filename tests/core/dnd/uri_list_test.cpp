#include "core/dnd/uri_list.h"

#include <gtest/gtest.h>

namespace arbel::dnd {
namespace {

using Paths = std::vector<std::string>;

TEST(UriList, EveryByteValueOfANameSurvivesTheRoundTrip) {
    // One name per byte value, and one name holding all of them.
    Paths paths;
    std::string all;
    for (int b = 1; b < 256; ++b) {
        if (b == '/') continue;  // the separator cannot be part of a name
        const char c = static_cast<char>(b);
        all += c;
        std::string name = std::string("x") + c + "y";
        paths.push_back("/tmp/" + name);
    }
    paths.push_back("/tmp/" + all);
    const std::string list = encodeUriList(paths);
    EXPECT_EQ(decodeUriList(list), paths);
    // One line per path, and nothing in a line that ends it or cuts the URL short.
    std::size_t lines = 0, pos = 0;
    while (pos < list.size()) {
        const std::size_t end = list.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos);
        for (std::size_t i = pos; i < end; ++i) {
            const unsigned char c = static_cast<unsigned char>(list[i]);
            EXPECT_TRUE(c > 0x20 && c < 0x7F && c != '#' && c != '?') << "byte " << int(c) << " bare";
        }
        pos = end + 2;
        ++lines;
    }
    EXPECT_EQ(lines, paths.size());
}

TEST(UriList, EachPathIsOneCrlfEndedFileUrl) {
    EXPECT_EQ(encodeUriList({"/a b/c#d", "/100%", "/"}),
              "file:///a%20b/c%23d\r\nfile:///100%25\r\nfile:///\r\n");
    EXPECT_EQ(encodeUriList({}), "");
    EXPECT_EQ(encodeUriList({"", "relative/x", "/k"}), "file:///k\r\n");
    // A name of 300 bytes under a long folder is not cut (old drag data stopped at 255).
    const std::string longPath = "/" + std::string(200, 'f') + "/" + std::string(300, 'n');
    EXPECT_EQ(decodeUriList(encodeUriList({longPath})), Paths{longPath});
}

TEST(UriList, DecodesWhatOtherProgramsWrite) {
    // A file manager: CRLF after every line, folders with a trailing slash.
    EXPECT_EQ(decodeUriList("file:///home/u/My%20Documents/\r\nfile:///home/u/a%C3%A9.txt\r\n"),
              (Paths{"/home/u/My Documents", "/home/u/a\xc3\xa9.txt"}));
    // A browser: no CRLF after the last line, a comment, the host spelled out.
    EXPECT_EQ(decodeUriList("# dragged from a page\r\nfile://localhost/srv/x%231\r\nfile:///srv/y"),
              (Paths{"/srv/x#1", "/srv/y"}));
    // Bare LF line ends, blank lines, and a terminating NUL.
    EXPECT_EQ(decodeUriList(std::string("file:///a\n\nfile:///b\n\0", 21)), (Paths{"/a", "/b"}));
    // Raw (unescaped) UTF-8 in the URL is taken as the bytes it is.
    EXPECT_EQ(decodeUriList("file:///d/\xc3\xa9t\xc3\xa9\r\n"), Paths{"/d/\xc3\xa9t\xc3\xa9"});
}

TEST(UriList, IgnoresWhatIsNotALocalFile) {
    EXPECT_EQ(decodeUriList("https://example.org/a.png\r\n"
                            "file://otherhost/share/x\r\n"
                            "smb://server/share/y\r\n"
                            "file:///ok\r\n"
                            "file:///bad%zz\r\n"
                            "file:///nul%00byte\r\n"
                            "mailto:someone@example.org\r\n"
                            "  \r\n"),
              Paths{"/ok"});
    EXPECT_TRUE(decodeUriList("").empty());
    EXPECT_TRUE(decodeUriList("\r\n\r\n").empty());
}

}  // namespace
}  // namespace arbel::dnd
