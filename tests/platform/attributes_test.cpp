#include "platform/attributes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <string>

#include "support/temp_dir.h"

namespace arbel {
namespace {

// Skips a test on a file system without user extended attributes (tmpfs of
// older kernels); the mapping of the other bits is still tested elsewhere.
bool userXattrs(const std::string& path) {
    if (::setxattr(path.c_str(), "user.arbel-probe", "1", 1, 0) != 0) return false;
    ::removexattr(path.c_str(), "user.arbel-probe");
    return true;
}

std::string rawValue(const std::string& path) {
    char buf[256];
    ssize_t n = ::getxattr(path.c_str(), "user.DOSATTRIB", buf, sizeof buf);
    return n < 0 ? std::string("<none>") : std::string(buf, static_cast<std::size_t>(n));
}

TEST(DosAttrib, ParsesTextFormAndRejectsGarbage) {
    uint32_t bits = 0;
    EXPECT_TRUE(parseDosAttrib(std::string_view("0x20\0", 5), bits));
    EXPECT_EQ(bits, 0x20u);
    EXPECT_TRUE(parseDosAttrib(std::string_view("0X824\0\x03\x00\xff", 9), bits));
    EXPECT_EQ(bits, 0x824u);
    EXPECT_FALSE(parseDosAttrib("", bits));
    EXPECT_FALSE(parseDosAttrib("0x", bits));
    EXPECT_FALSE(parseDosAttrib("20", bits));
    EXPECT_FALSE(parseDosAttrib("0x2g", bits));
    EXPECT_FALSE(parseDosAttrib("0x123456789", bits));
}

TEST(DosAttrib, WritePreservesForeignBitsAndRemovesWhenEmpty) {
    test::TempDir dir;
    std::string f = dir.writeFile("f.txt", "x");
    if (!userXattrs(f)) GTEST_SKIP() << "no user extended attributes here";

    // A value written by another system, with a bit we do not know (0x800).
    ASSERT_EQ(::setxattr(f.c_str(), "user.DOSATTRIB", "0x820", 6, 0), 0);
    ASSERT_TRUE(writeDosAttrib(f, kAttrSystem, kAttrSystem | kAttrArchive).ok());
    StoredDosAttrib s = readDosAttrib(f);
    EXPECT_TRUE(s.present);
    EXPECT_EQ(s.bits, 0x804u);
    EXPECT_EQ(rawValue(f), std::string("0x804", 6));

    // Read-only, hidden and directory are never stored, even when asked.
    ASSERT_TRUE(writeDosAttrib(f, kAttrReadOnly | kAttrHidden, 0xFF).ok());
    EXPECT_EQ(readDosAttrib(f).bits, 0x800u);

    ASSERT_TRUE(writeDosAttrib(f, 0, 0x800).ok());
    EXPECT_EQ(rawValue(f), "<none>");
    EXPECT_FALSE(readDosAttrib(f).present);
}

TEST(DosAttrib, MissingFileReportsError) {
    test::TempDir dir;
    Status st = writeDosAttrib(dir / "missing", kAttrArchive, kAttrArchive);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().code, ENOENT);
}

TEST(Attributes, WordFromStatusNameAndStoredBits) {
    test::TempDir dir;
    std::string f = dir.writeFile(".hidden", "x");
    struct stat st;
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(attributesOf(st, ".hidden", 0), kAttrHidden);
    // Stored read-only/hidden/directory bits are ignored: the file decides.
    EXPECT_EQ(attributesOf(st, "plain", kAttrArchive | kAttrReadOnly | kAttrDirectory), kAttrArchive);

    ASSERT_TRUE(setReadOnly(f, true).ok());
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    EXPECT_EQ(attributesOf(st, "x", 0), kAttrReadOnly);

    ASSERT_TRUE(setReadOnly(f, false).ok());
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, static_cast<mode_t>(S_IWUSR));  // only the owner gets it back

    std::string d = dir.makeDir("sub");
    ASSERT_EQ(::stat(d.c_str(), &st), 0);
    EXPECT_EQ(attributesOf(st, "sub", 0), kAttrDirectory);
}

}  // namespace
}  // namespace arbel
