// The type icon cache: which files share an icon by type, and which keep their own.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>

#include "support/temp_dir.h"
#include "ui/icons/type_icons.h"

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
};

// The theme the program itself falls back to; the tests name the icons it gives.
void TypeIconsTest::initTestCase() {
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
    QCOMPARE(iconForFile(b).name(), QStringLiteral("text-x-generic"));
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
    const std::string prog = tmp.writeFile("tool.txt", "#!/bin/sh\n");
    ::chmod(prog.c_str(), 0755);
    QVERIFY(TypeIconCache::cacheKey(entry, {}, false).isEmpty());
    QVERIFY(TypeIconCache::cacheKey(prog, {}, true).isEmpty());
    QCOMPARE(iconForFile(entry).name(), QStringLiteral("folder"));  // the entry's own icon
    QCOMPARE(iconForFile(prog).name(), QStringLiteral("application-x-executable"));
    QCOMPARE(cache.cachedTypes(), 0);
}

void TypeIconsTest::desktopEntryIconComesFromItsOwnGroupOnly() {
    test::TempDir tmp;
    const std::string file =
        tmp.writeFile("x.desktop",
                      "# Icon=comment\n[Other]\nIcon=wrong\n[Desktop Entry]\n"
                      "Name=X\nIconic=no\n Icon = /usr/share/x.png \n[Desktop Action a]\nIcon=b\n");
    QCOMPARE(TypeIconCache::desktopEntryIcon(file), QStringLiteral("/usr/share/x.png"));
    QVERIFY(TypeIconCache::desktopEntryIcon(tmp / "missing.desktop").isEmpty());
    // A FIFO with the name of an entry is never read (it would block).
    const std::string fifo = tmp / "pipe.desktop";
    QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
    QVERIFY(TypeIconCache::desktopEntryIcon(fifo).isEmpty());
    QVERIFY(!iconForFile(fifo).isNull());
    QVERIFY(iconForFile(fifo).name() != QStringLiteral("folder"));
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

QTEST_MAIN(TypeIconsTest)
#include "type_icons_test.moc"
