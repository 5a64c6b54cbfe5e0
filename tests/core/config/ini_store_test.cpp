// The settings store read and written through real files.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "core/config/ini_file.h"
#include "core/config/ini_text.h"
#include "support/temp_dir.h"

namespace arbel::config {
namespace {

using test::readFile;
using test::TempDir;

struct Store {
    TempDir dir;
    std::string path = dir / "Arbelwin.cfg";
    IniFile ini{path};
    void put(std::string_view text) { dir.writeFile("Arbelwin.cfg", text); }
    std::string text() const { return readFile(path); }
};

TEST(IniStore, NamesCompareWithoutCase) {
    Store s;
    s.put("[maskspecs]\n1=*.txt\n[Quenby]\nEditor=/usr/bin/vi\n");
    EXPECT_EQ(s.ini.readHistory("MASKSPECS"), std::vector<std::string>{"*.txt"});
    EXPECT_EQ(s.ini.readString("quenby", "EDITOR", "-"), "/usr/bin/vi");
    // Writing through another spelling updates the stored key in place.
    s.ini.writeString("QUENBY", "editor", "/usr/bin/ed");
    EXPECT_EQ(s.text(), "[maskspecs]\n1=*.txt\n[Quenby]\nEditor=/usr/bin/ed\n");
}

TEST(IniStore, EmptyValueIsTextButNotANumber) {
    Store s;
    s.ini.writeString("windows", "dirt", "");
    EXPECT_EQ(s.ini.readString("windows", "dirt", "def"), "");
    EXPECT_EQ(s.ini.readInteger("windows", "dirt", 77), 77);
    EXPECT_TRUE(s.ini.readBool("windows", "dirt", true));
    EXPECT_EQ(s.ini.readString("windows", "missing", "def"), "def");
}

TEST(IniStore, IntegersDecimalAndHex) {
    struct Case {
        const char* text;
        std::optional<int64_t> want;
    } cases[] = {
        {"0x10", 16},
        {"0X1f", 31},
        {"0x", {}},
        {"0x1g", {}},
        {"-12", -12},
        {"+7", 7},
        {" 42\t", 42},
        {"12abc", {}},
        {"", {}},
        {"-", {}},
        {"007", 7},
        {"1 2", {}},
        {"yes", {}},
        {"0x00000000000000010", 16},
        {"0xFFFFFFFFFFFFFFFF", -1},
        {"0x10000000000000000", {}},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", {}},
        {"-9223372036854775808", INT64_MIN},
        {"-9223372036854775809", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(parseInteger(c.text), c.want) << '"' << c.text << '"';

    Store s;
    s.put("[q]\nhex=0x10\nbad=0x\nbig=99999999999999999999\nflag=2\nzero=0\n");
    EXPECT_EQ(s.ini.readInteger("q", "hex", 5), 16);
    EXPECT_EQ(s.ini.readInteger("q", "bad", 5), 5);
    EXPECT_EQ(s.ini.readInteger("q", "big", 5), 5);
    EXPECT_TRUE(s.ini.readBool("q", "flag", false));
    EXPECT_FALSE(s.ini.readBool("q", "zero", true));
    s.ini.writeInteger("q", "neg", -40);
    s.ini.writeBool("q", "on", true);
    EXPECT_NE(s.text().find("neg=-40\non=1\n"), std::string::npos);
}

TEST(IniStore, ValuesComeBackByteForByteUpTo1023) {
    Store s;
    const std::string odd = " /tmp/caf\xC3\xA9 \xFF\xFE x=y ";  // outer blanks, invalid UTF-8, '='
    s.ini.writeString("windows", "dirload", odd);
    EXPECT_EQ(s.ini.readString("windows", "dirload", ""), odd);

    std::string longValue(1022, 'a');
    longValue += "\xC3\xA9tail";  // the cut at 1023 falls inside the two-byte sequence
    s.ini.writeString("q", "long", longValue);
    EXPECT_EQ(s.ini.readString("q", "long", ""), std::string(1022, 'a'));
    EXPECT_EQ(s.ini.readSection("q"), std::vector<std::string>{"long=" + std::string(1022, 'a')});
    // The file itself keeps the whole value.
    EXPECT_NE(s.text().find(longValue), std::string::npos);
}

TEST(IniStore, WritesKeepEveryOtherLine) {
    Store s;
    s.put(
        "\xEF\xBB\xBF; kept comment\r\norphan=1\r\n[Windows]\r\n  dirt = 5\r\nnot a key\r\n\r\n"
        "[other]\r\nx=1\r\n[windows]\r\nlistt=9");
    EXPECT_EQ(s.ini.readInteger("windows", "dirt", 0), 5);
    EXPECT_EQ(s.ini.readInteger("windows", "listt", 0), 9);  // a repeated section reads as one
    EXPECT_EQ(s.ini.readString("", "orphan", "none"), "none");

    s.ini.writeInteger("windows", "dirl", 3);   // new key: after the first section's last key
    s.ini.writeInteger("WINDOWS", "listt", 8);  // existing key in the repeated section
    s.ini.writeString("Quenby", "blue", "no");  // new section at the end
    EXPECT_EQ(s.text(),
              "\xEF\xBB\xBF; kept comment\norphan=1\n[Windows]\n  dirt = 5\ndirl=3\nnot a key\n\n"
              "[other]\nx=1\n[windows]\nlistt=8\n\n[Quenby]\nblue=no\n");
    EXPECT_EQ(s.ini.readSection("windows"), (std::vector<std::string>{"dirt= 5", "dirl=3", "listt=8"}));

    s.ini.eraseSection("Windows");  // every occurrence, nothing else
    EXPECT_EQ(s.text(), "\xEF\xBB\xBF; kept comment\norphan=1\n\n[other]\nx=1\n\n[Quenby]\nblue=no\n");
}

TEST(IniStore, MissingFileReadsDefaultsAndIsCreatedByTheFirstWrite) {
    Store s;
    EXPECT_EQ(s.ini.readInteger("Quenby", "gifspeed", 50), 50);
    EXPECT_TRUE(s.ini.readSection("windows").empty());
    s.ini.eraseSection("windows");
    s.ini.writeHistory("Runs", {});
    EXPECT_FALSE(test::exists(s.path));

    IniFile other(s.path);  // every handle sees the latest write at once
    s.ini.writeInteger("Quenby", "gifspeed", 20);
    EXPECT_EQ(other.readInteger("Quenby", "gifspeed", 50), 20);
    other.writeInteger("Quenby", "gifspeed", 30);
    EXPECT_EQ(s.ini.readInteger("Quenby", "gifspeed", 50), 30);
}

TEST(IniStore, WritesFromSeveralThreadsAreNotLost) {
    Store s;
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&s, t] {
            IniFile own(s.path);
            for (int i = 0; i < 25; ++i) own.writeInteger("q", "k" + std::to_string(t * 100 + i), i);
        });
    }
    for (auto& w : writers) w.join();
    EXPECT_EQ(s.ini.readSection("q").size(), 100u);
}

TEST(IniStore, HistoriesRoundTrip) {
    Store s;
    s.put("[Quenby]\neditor=vi\n\n[Copies]\n5=old\n\n[windows]\ndirt=1\n");
    const std::string longEntry(150, 'z');
    s.ini.writeHistory("copies", {"/a=b", "", longEntry, "/c"}, 2);
    EXPECT_EQ(s.text(), "[Quenby]\neditor=vi\n\n[copies]\n2=/a=b\n3=\n4=" + longEntry +
                            "\n5=/c\n\n[windows]\ndirt=1\n");
    EXPECT_EQ(s.ini.readHistory("Copies"),
              (std::vector<std::string>{"/a=b", "", std::string(100, 'z'), "/c"}));

    // Readers ignore the keys and take file order, whatever the numbering.
    s.put("[Folders]\n9=/nine\nx=/x\n1=/one\nno equals sign\n");
    EXPECT_EQ(s.ini.readHistory("Folders"), (std::vector<std::string>{"/nine", "/x", "/one"}));

    s.ini.writeHistory("Folders", {});
    EXPECT_TRUE(s.ini.readSection("Folders").empty());
}

TEST(IniStore, LineBreaksNeverReachTheFile) {
    Store s;
    s.put("[Quenby]\neditor=/usr/bin/vi\n");
    const std::string before = s.text();
    const std::string evil = "/tmp/dir\n[Quenby]\neditor=/tmp/x";
    EXPECT_FALSE(IniFile::storable(evil));
    EXPECT_THROW(s.ini.writeString("windows", "dirload", evil), InvalidEntry);
    EXPECT_THROW(s.ini.writeString("windows", "dirload", "a\rb"), InvalidEntry);
    EXPECT_THROW(s.ini.writeString("windows", "dirload", std::string("a\0b", 3)), InvalidEntry);
    EXPECT_THROW(s.ini.writeString("win]dows", "k", "v"), InvalidEntry);
    EXPECT_THROW(s.ini.writeString("windows", "k=v", "v"), InvalidEntry);
    EXPECT_THROW(s.ini.writeString("windows", "[Quenby]", "v"), InvalidEntry);
    EXPECT_THROW(s.ini.writeValues("windows", {{"dirt", "1"}, {"dirl", "2\n"}}), InvalidEntry);
    EXPECT_EQ(s.text(), before);

    // A history skips the entry that would inject lines and keeps the others.
    s.ini.writeHistory("Folders", {"/one", evil, "/two"});
    EXPECT_EQ(s.ini.readHistory("Folders"), (std::vector<std::string>{"/one", "/two"}));
    EXPECT_EQ(s.ini.readString("Quenby", "editor", ""), "/usr/bin/vi");
    try {
        s.ini.writeString("windows", "dirload", evil);
    } catch (const WriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + s.path);
    }
}

TEST(IniStore, BinaryAndHugeLinesAreHarmless) {
    Store s;
    std::string junk("[q]\nk=\0\xFF\x01", 9);
    junk += std::string(3 << 20, 'x');  // one 3 MiB line
    junk += "\n[[[\n]]]=\n=\n\r\r\r\n[q\nz=1\n";
    s.put(junk);
    EXPECT_EQ(s.ini.readString("q", "k", "").size(), 1023u);
    EXPECT_EQ(s.ini.readInteger("q", "z", 0), 1);  // "[q" without ']' still names q
    s.ini.writeString("q", "new", "v");
    EXPECT_EQ(s.ini.readString("q", "new", ""), "v");
    EXPECT_NE(s.text().find(std::string("k=\0\xFF\x01", 5) + std::string(3 << 20, 'x')), std::string::npos);
}

}  // namespace
}  // namespace arbel::config
