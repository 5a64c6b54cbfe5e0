// Names drawn whole where there is room: the texts the views paint (not the
// model's data) in the list, small-icon and report styles of a file list and
// in the search window's result list, wide and narrow.
#include <QHeaderView>
#include <QHelpEvent>
#include <QListView>
#include <QTest>
#include <QToolTip>
#include <QTreeView>
#include <memory>

#include "support/temp_dir.h"
#include "ui/drawn_text.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/view_panel.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_list_view.h"
#include "ui/search/find_results_model.h"
#include "ui/search/findform.h"

using namespace arbel;
using namespace arbel::ui;

namespace {

const QString kLong = QStringLiteral("alpha-a-name-long-enough-to-be-cut-by-a-narrow-column-of-the-list.txt");
const QChar kEllipsis(0x2026);

// A drawn text that is kLong cut in its middle: both ends kept.
bool cutInTheMiddle(const QStringList& drawn) {
    for (const QString& t : drawn)
        if (t.contains(kEllipsis) && t.startsWith(QStringLiteral("alp")) && t.endsWith(QStringLiteral("txt")))
            return true;
    return false;
}

}  // namespace

class WholeNamesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> tmp_;
    std::unique_ptr<TFileList> model_;
    std::unique_ptr<TFileListView> view_;

    // A folder whose last entry has the shortest name: a view sizing its cells
    // by one entry cuts the others.
    void makeList(DisplayStyle style) {
        tmp_ = std::make_unique<test::TempDir>();
        tmp_->makeDir("folder");
        tmp_->writeFile(kLong.toStdString(), "x");
        tmp_->writeFile("beta.txt", "x");
        tmp_->writeFile("z", "x");
        model_ = std::make_unique<TFileList>();
        model_->core().setFolder(tmp_->path());
        view_ = std::make_unique<TFileListView>(*model_);
        view_->setDisplayStyle(style);
        view_->resize(1000, 300);
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
        model_->rereadNow();
        QCOMPARE(model_->rowCount(), 4);
        QTRY_VERIFY(!drawn_text::of(viewport()).isEmpty());  // laid out
    }
    QWidget* viewport() { return view_->currentView()->viewport(); }

    // Shrinks the view, checks the long name is cut in the middle with its
    // tooltip whole, and widens it again.
    void checkNarrowAndWideAgain(int narrow) {
        view_->resize(narrow, 300);
        QTRY_VERIFY(cutInTheMiddle(drawn_text::of(viewport())));
        QVERIFY(!drawn_text::of(viewport()).contains(kLong));

        const int row = [&] {
            for (int r = 0; r < model_->rowCount(); ++r)
                if (model_->displayName(r) == kLong) return r;
            return -1;
        }();
        QVERIFY(row >= 0);
        const QRect cell = view_->currentView()->visualRect(model_->index(row, TFileList::ColName));
        QHelpEvent help(QEvent::ToolTip, cell.center(), viewport()->mapToGlobal(cell.center()));
        QCoreApplication::sendEvent(viewport(), &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY2(QToolTip::text().endsWith(QLatin1Char('/') + kLong), qPrintable(QToolTip::text()));
        QToolTip::hideText();

        view_->resize(1000, 300);
        QTRY_VERIFY(drawn_text::of(viewport()).contains(kLong));
    }

private slots:
    void cleanup() {
        view_.reset();
        model_.reset();
        tmp_.reset();
    }

    void listStyleDrawsEveryNameWhole() {
        makeList(DisplayStyle::List);
        const QStringList drawn = drawn_text::of(viewport());
        for (const QString& name : {kLong, QStringLiteral("beta.txt"), QStringLiteral("folder")})
            QVERIFY2(drawn.contains(name), qPrintable(drawn.join(u'|')));
        QVERIFY(!drawn.join(QString()).contains(kEllipsis));
        // One column: every cell as wide as the longest name, within the window.
        const QRect longCell = view_->listView()->visualRect(model_->index(0, 0));
        QVERIFY(longCell.width() < viewport()->width());
        checkNarrowAndWideAgain(160);
    }

    void smallIconsStyleDrawsEveryNameWhole() {
        makeList(DisplayStyle::Small);
        QVERIFY(drawn_text::of(viewport()).contains(kLong));
        checkNarrowAndWideAgain(160);
        // Large icons keep their fixed grid: names are cut to its cells.
        view_->setDisplayStyle(DisplayStyle::Large);
        QTRY_VERIFY(cutInTheMiddle(drawn_text::of(viewport())));
        view_->setDisplayStyle(DisplayStyle::List);
        QTRY_VERIFY(drawn_text::of(viewport()).contains(kLong));
    }

    void reportStyleSizesTheNameColumnToItsNames() {
        makeList(DisplayStyle::Report);
        QVERIFY(drawn_text::of(viewport()).contains(kLong));
        checkNarrowAndWideAgain(650);

        // A longer name read later widens the column again.
        const QString longer = kLong + QStringLiteral("-and-some-more.txt");
        tmp_->writeFile(longer.toStdString(), "x");
        model_->rereadNow();
        QTRY_VERIFY(drawn_text::of(viewport()).contains(longer));

        // A width the user gives the column stays until the next read.
        QHeaderView* header = view_->reportView()->header();
        header->resizeSection(TFileList::ColName, 90);
        view_->resize(1100, 300);
        QTest::qWait(20);
        QCOMPARE(header->sectionSize(TFileList::ColName), 90);
    }

    void searchResultsShowNamesAndLocationsWhole() {
        test::TempDir tmp;
        Tmdimain frame(FrameOptions{tmp / "Arbelwin.cfg", false});
        frame.show();
        QTRY_VERIFY(!frame.startupPending());
        frame.findbutClick();
        Tfindform* f = Tfindform::instance();
        QVERIFY(f);
        const std::string folder = "/srv/" + kLong.toStdString() + "/deeper/";
        f->results()->append({{"/tmp/", "short.txt", 1, 0, 0}});
        // Rows come in batches while a search runs; a later one is longer.
        f->results()->append({{folder, kLong.toStdString(), 1, 0, 0}});
        f->resize(1800, 400);
        QWidget* vp = f->resultsView->viewport();
        QTRY_VERIFY(drawn_text::of(vp).contains(QString::fromStdString(folder)));
        QVERIFY(drawn_text::of(vp).contains(kLong));

        f->resize(500, 400);
        QTRY_VERIFY(cutInTheMiddle(drawn_text::of(vp)));
        f->resize(1800, 400);
        QTRY_VERIFY(drawn_text::of(vp).contains(QString::fromStdString(folder)));
        f->close();
    }
};

QTEST_MAIN(WholeNamesTest)
#include "whole_names_test.moc"
