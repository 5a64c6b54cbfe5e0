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
    void filesOfOneTypeShareOneCachedIcon();
    void desktopEntriesAndProgramsAreNeverCachedByType();
    void desktopEntryIconComesFromItsOwnGroupOnly();
    void foldersAndVolumesAlwaysHaveAnIcon();
};

void TypeIconsTest::filesOfOneTypeShareOneCachedIcon() {
    test::TempDir tmp;
    TypeIconCache& cache = TypeIconCache::instance();
    cache.clear();
    const std::string a = tmp.writeFile("a.txt", "x"), b = tmp.writeFile("B.TXT", "y");
    QCOMPARE(TypeIconCache::cacheKey(a, {}, false), QStringLiteral("text/plain"));
    QVERIFY(!iconForFile(a).isNull());
    QVERIFY(!iconForFile(b).isNull());
    QCOMPARE(cache.cachedTypes(), 1);
    // A type the caller already knows is the key, whatever the name says.
    QCOMPARE(TypeIconCache::cacheKey(a, QStringLiteral("image/png"), false), QStringLiteral("image/png"));
    QVERIFY(!iconForFile(tmp.writeFile("odd\xff.png")).isNull());
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
    QVERIFY(!iconForFile(entry).isNull());
    QVERIFY(!iconForFile(prog).isNull());
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
}

void TypeIconsTest::foldersAndVolumesAlwaysHaveAnIcon() {
    QVERIFY(!iconForFolder(false).isNull());
    QVERIFY(!iconForFolder(true).isNull());
    for (DriveType t : {DriveType::Unknown, DriveType::Removable, DriveType::Fixed, DriveType::Remote,
                        DriveType::CDRom, DriveType::RamDisk})
        QVERIFY(!iconForVolume(t).isNull());
}

QTEST_MAIN(TypeIconsTest)
#include "type_icons_test.moc"
