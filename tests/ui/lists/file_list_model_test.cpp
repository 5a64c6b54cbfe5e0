// The Qt model of the file list over real temporary folders: what views get
// for names that are not UTF-8, the columns, and selections kept across sorts.
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>

#include "support/temp_dir.h"
#include "ui/lists/file_list.h"

using namespace arbel;
using namespace arbel::ui;

class FileListModelTest : public QObject {
    Q_OBJECT
private slots:
    void namesKeepTheirBytesBehindTheDisplay() {
        arbel::test::TempDir dir;
        const std::string odd = "bad\xFF\xFEname.txt";
        dir.writeFile(odd, "12345");
        TFileList model;
        model.core().setFolder(dir.path());
        model.rereadNow();
        QCOMPARE(model.rowCount(), 1);
        const QModelIndex name = model.index(0, TFileList::ColName);
        const QString shown = name.data().toString();
        QVERIFY(shown.startsWith("bad"));
        QVERIFY(shown.contains(QChar(0xFFFD)));
        QCOMPARE(name.data(TFileList::NameRole).toByteArray(), QByteArray::fromStdString(odd));
        QCOMPARE(name.data(TFileList::PathRole).toByteArray(), QByteArray::fromStdString(dir / odd));
        QCOMPARE(model.index(0, TFileList::ColExt).data().toString(), QString(".TXT"));
        QCOMPARE(model.index(0, TFileList::ColSize).data().toString(), QString("         5"));
        QCOMPARE(model.index(0, TFileList::ColSizeKey).data().toString(), QString("5"));
        QCOMPARE(model.index(0, TFileList::ColEndMark).data().toString(), QString("."));
        QCOMPARE(model.headerData(TFileList::ColName, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString("     Name"));
        QCOMPARE(model.headerData(TFileList::ColSize, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString(" Size"));
        QVERIFY(!(model.flags(name) & Qt::ItemIsEditable));
    }

    void selectionFollowsEntriesThroughASort() {
        arbel::test::TempDir dir;
        dir.writeFile("a.txt", "333");
        dir.writeFile("b.txt", "1");
        dir.writeFile("c.txt", "22");
        TFileList model;
        model.core().setFolder(dir.path());
        model.rereadNow();
        QItemSelectionModel selection(&model);
        selection.select(model.index(0, 0),
                         QItemSelectionModel::Select | QItemSelectionModel::Rows);  // a.txt
        model.sortByInfo(lists::FileInfo::Size);
        QCOMPARE(model.displayName(2), QString("a.txt"));
        const QModelIndexList rows = selection.selectedRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.front().data().toString(), QString("a.txt"));
    }

    void asyncReadEndsWithTheLatestFolder() {
        arbel::test::TempDir dir;
        dir.writeFile("one/x.txt");
        dir.writeFile("two/y.txt");
        dir.writeFile("two/z.txt");
        TFileList model;
        QSignalSpy finished(&model, &TFileList::readFinished);
        model.core().setFolder(dir / "one");
        model.rereadAsync();
        model.core().setFolder(dir / "two");
        model.rereadAsync();  // replaces the first read
        QTRY_VERIFY(!model.reading());
        QTRY_COMPARE(model.rowCount(), 2);
        QCOMPARE(model.displayName(0), QString("y.txt"));
        QVERIFY(model.lastFreeBytes().has_value());
        QCOMPARE(finished.last().at(0).toBool(), false);
    }
};

QTEST_MAIN(FileListModelTest)
#include "file_list_model_test.moc"
