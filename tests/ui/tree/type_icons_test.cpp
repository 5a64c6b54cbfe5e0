// The type icon cache: which files share an icon by type, and which keep their own.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <QApplication>
#include <QTest>

#include "core/lists/desktop_entry.h"
#include "support/temp_dir.h"
#include "ui/icons/type_icons.h"
#include "ui/lists/file_list.h"

using namespace arbel;
using namespace arbel::ui;

class TypeIconsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void filesOfOneTypeShareOneCachedIcon();
    void desktopEntriesAndProgramsAreNeverCachedByType();
    void desktopEntryIconComesFromItsOwnGroupOnly();
    void foldersAndVolumesAlwaysHaveAnIcon();
    void aListPaintsItsIconsFromTheReadAlone();
};

// The theme the program itself falls back to; the tests name the icons it gives.
void TypeIconsTest::initTestCase() {
    // The system's icon folder, whatever the environment says.
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral("/usr/share/icons"));
    QIcon::setThemeName(QStringLiteral("Adwaita"));
    QVERIFY2(QIcon::hasThemeIcon(QStringLiteral("folder")), "the Adwaita icon theme is not installed");
}

void TypeIconsTest::filesOfOneTypeShareOneCachedIcon() {
    test::TempDir tmp;
    TypeIconCache& cache = TypeIconCache::instance();
    cache.clear();
    const std::string a = tmp.writeFile("a.txt", "x"), b = tmp.writeFile("B.TXT", "y");
    QCOMPARE(TypeIconCache::cacheKey(a, {}, false), QStringLiteral("text/plain"));
    QCOMPARE(iconForFile(a).name(), QStringLiteral("text-x-generic"));
    QCOMPARE(iconForFile("B.TXT").name(), QStringLiteral("text-x-generic"));
    (void)b;
    QCOMPARE(cache.cachedTypes(), 1);
    // A type the caller already knows is the key, whatever the name says.
    QCOMPARE(TypeIconCache::cacheKey(a, QStringLiteral("image/png"), false), QStringLiteral("image/png"));
    QCOMPARE(iconForFile(tmp.writeFile("odd\xff.png")).name(), QStringLiteral("image-x-generic"));
    QCOMPARE(cache.cachedTypes(), 2);
}

void TypeIconsTest::desktopEntriesAndProgramsAreNeverCachedByType() {
    test::TempDir tmp;
    TypeIconCache& cache = TypeIconCache::instance();
    cache.clear();
    const std::string entry = tmp.writeFile("app.DESKTOP", "[Desktop Entry]\nIcon=folder\n");
    QVERIFY(TypeIconCache::cacheKey(entry, {}, false).isEmpty());
    QVERIFY(TypeIconCache::cacheKey("tool.txt", {}, true).isEmpty());
    QCOMPARE(iconForFile(entry, false, QStringLiteral("folder")).name(), QStringLiteral("folder"));
    QCOMPARE(iconForFile(entry).name(), QStringLiteral("text-x-generic"));  // names none: the generic one
    QCOMPARE(iconForFile("tool.txt", true).name(), QStringLiteral("application-x-executable"));
    QCOMPARE(cache.cachedTypes(), 0);
}

void TypeIconsTest::desktopEntryIconComesFromItsOwnGroupOnly() {
    test::TempDir tmp;
    const std::string file =
        tmp.writeFile("x.desktop",
                      "# Icon=comment\n[Other]\nIcon=wrong\n[Desktop Entry]\n"
                      "Name=X\nIconic=no\n Icon = /usr/share/x.png \n[Desktop Action a]\nIcon=b\n");
    QCOMPARE(lists::desktopEntryIcon(file), "/usr/share/x.png");
    QVERIFY(lists::desktopEntryIcon(tmp / "missing.desktop").empty());
    // A FIFO with the name of an entry is never read (it would block).
    const std::string fifo = tmp / "pipe.desktop";
    QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
    QVERIFY(lists::desktopEntryIcon(fifo).empty());
    QVERIFY(!iconForFile(fifo).isNull());
}

void TypeIconsTest::foldersAndVolumesAlwaysHaveAnIcon() {
    QCOMPARE(iconForFolder(false).name(), QStringLiteral("folder"));
    QCOMPARE(iconForFolder(true).name(), QStringLiteral("folder-open"));
    const std::pair<DriveType, const char*> volumes[] = {
        {DriveType::Unknown, "drive-harddisk"}, {DriveType::Removable, "drive-removable-media"},
        {DriveType::Fixed, "drive-harddisk"},   {DriveType::Remote, "folder-remote"},
        {DriveType::CDRom, "media-optical"},    {DriveType::RamDisk, "drive-harddisk"}};
    for (auto [type, name] : volumes) QCOMPARE(iconForVolume(type).name(), QString::fromLatin1(name));
}

// The icons of a list come from what its read found: once read, the files may
// vanish (or their volume stall) and every entry still paints with its right icon.
void TypeIconsTest::aListPaintsItsIconsFromTheReadAlone() {
    test::TempDir tmp;
    const std::string prog = tmp.writeFile("tool.txt", "#!/bin/sh\n");
    QCOMPARE(::chmod(prog.c_str(), 0755), 0);
    tmp.writeFile("notes.txt", "x");
    tmp.writeFile("app.desktop", "[Desktop Entry]\nIcon=folder-remote\n");
    tmp.writeFile("plain.desktop", "[Desktop Entry]\nName=none\n");
    QCOMPARE(::symlink("tool.txt", (tmp / "runme").c_str()), 0);
    tmp.makeDir("sub");

    TFileList list;
    list.core().setFolder(tmp.path() + "/");
    list.rereadNow();
    QCOMPARE(list.rowCount(), 6);
    for (const auto& child : std::filesystem::directory_iterator(tmp.path()))
        std::filesystem::remove_all(child.path());

    const std::pair<const char*, const char*> expected[] = {
        {"tool.txt", "application-x-executable"}, {"runme", "application-x-executable"},
        {"notes.txt", "text-x-generic"},          {"app.desktop", "folder-remote"},
        {"plain.desktop", "text-x-generic"},      {"sub", "folder"}};
    for (auto [name, icon] : expected) {
        long row = list.core().findName(name);
        QVERIFY2(row >= 0, name);
        QIcon shown = list.data(list.index(int(row), TFileList::ColName), Qt::DecorationRole).value<QIcon>();
        QCOMPARE(shown.name(), QString::fromLatin1(icon));
    }
}

QTEST_MAIN(TypeIconsTest)
#include "type_icons_test.moc"
