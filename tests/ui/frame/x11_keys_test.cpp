// The frame's keys under a real X server: a private Xvfb, the xcb platform and
// xdotool typing through the server's test extension, so the events are those
// of a keyboard (the "/" key with Shift arrives as "?" with Shift, and the
// shortcut map sees it the way xkb offers it).
#include <QProcess>
#include <QTest>
#include <cstdlib>

#include "support/x_server.h"
#include "ui/frame/frame_keys.h"

using namespace arbel::ui;

namespace {

QString gSkipReason;

// Types one key combination (xdotool's names) into the focused window.
bool type(const QString& keys) {
    return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}) == 0;
}

}  // namespace

class X11KeysTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        if (!gSkipReason.isEmpty()) QSKIP(qPrintable(gSkipReason));
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }

    void everyShortcutReachesItsItem() {
        frame_keys::KeyBench bench;
        QVERIFY(bench.start());
        const QStringList failures = bench.checkAll(
            [](const frame_keys::Typed& t) { QVERIFY2(type(t.xdotool), qPrintable(t.xdotool)); });
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    }
};

int main(int argc, char** argv) {
    arbel::test::XServer server;
    if (server.display().empty()) {
        gSkipReason = QString::fromStdString(server.whyNot());
    } else if (arbel::test::findProgram("xdotool").empty()) {
        gSkipReason = QStringLiteral("xdotool is not installed");
    } else {
        ::setenv("DISPLAY", server.display().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    QApplication app(argc, argv);
    X11KeysTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "x11_keys_test.moc"
