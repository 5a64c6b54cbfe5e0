// The frame's shortcuts on the offscreen platform, pressed as a keyboard sends
// them: each key of the table reaches its item and no other.
#include <QTest>

#include "ui/frame/frame_keys.h"

using namespace arbel::ui;

class TypedKeysTest : public QObject {
    Q_OBJECT
private slots:
    void everyShortcutReachesItsItem() {
        frame_keys::KeyBench bench;
        QVERIFY(bench.start());
        const QStringList failures = bench.checkAll([](const frame_keys::Typed& t) {
            QWidget* target = QApplication::focusWidget();
            QVERIFY(target);
            QTest::keyClick(target, t.key, t.modifiers);
        });
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    }

    void theTableCoversEveryBoundItem() {
        frame_keys::KeyBench bench;
        QSet<int> listed;
        for (const frame_keys::Key& k : frame_keys::frameKeys()) listed << int(k.action);
        for (int i = 0; i < int(FrameAction::Count_); ++i) {
            QAction* a = bench.frame().actions().action(FrameAction(i));
            QVERIFY2(a->shortcuts().isEmpty() || listed.contains(i), qPrintable(a->objectName()));
        }
    }

    void menusNameTheKeysAsOnTheirCaps() {
        frame_keys::KeyBench bench;
        auto shown = [&](FrameAction id) {
            QAction* a = bench.frame().actions().action(id);
            const QString text = a->text();
            return text.contains(u'\t') ? text.section(u'\t', 1)
                                        : a->shortcut().toString(QKeySequence::NativeText);
        };
        QCOMPARE(shown(FrameAction::SelectAllFiles), QStringLiteral("Shift+/"));
        QCOMPARE(shown(FrameAction::SelectAll), QStringLiteral("Ctrl+/"));
        QCOMPARE(shown(FrameAction::Previous), QStringLiteral("Ctrl+Shift+Tab"));
        QCOMPARE(shown(FrameAction::Lowercase), QStringLiteral("Ctrl+Shift+L"));
    }
};

QTEST_MAIN(TypedKeysTest)
#include "typed_keys_test.moc"
