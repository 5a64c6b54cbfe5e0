#pragma once
// The frame's shortcuts as a user presses them, shared by the key tests of the
// offscreen platform and of a real X server. Keys are written as on the key
// caps of a US keyboard ("Ctrl+Shift+/"); asTyped() turns them into what that
// keyboard sends: Shift with the "/" key arrives as "?" with Shift, Shift with
// Tab as Backtab with Shift, the keypad's Enter as Enter with the keypad flag.
#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "support/temp_dir.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/tree/mdisubdir.h"

namespace frame_keys {

using arbel::ui::FrameAction;

struct Key {
    FrameAction action;
    const char* cap;
    bool fires = true;  // false: the item is disabled, the key does nothing
};

// Every shortcut of the frame's menu and shortcut table.
inline const std::vector<Key>& frameKeys() {
    static const std::vector<Key> keys = {
        {FrameAction::Copy, "Ctrl+C"},
        {FrameAction::Move, "Ctrl+M"},
        {FrameAction::Delete, "Del"},
        {FrameAction::Rename, "Ctrl+R"},
        {FrameAction::Lowercase, "Ctrl+Shift+L"},
        {FrameAction::Uppercase, "Ctrl+Shift+U"},
        {FrameAction::SentenceCase, "Ctrl+Shift+S"},
        {FrameAction::TitleCase, "Ctrl+Shift+T"},
        {FrameAction::ChangeAttributes, "Ctrl+A"},
        {FrameAction::Properties, "Ctrl+Shift+A"},
        {FrameAction::NewFolder, "Ctrl+N"},
        {FrameAction::Search, "Ctrl+S"},
        {FrameAction::Edit, "Ctrl+E"},
        {FrameAction::SelectedItem, "Enter"},
        {FrameAction::SelectedItem, "Keypad Enter"},
        {FrameAction::SelectedBranch, "Ctrl+B", false},
        {FrameAction::Tree, "F2"},
        {FrameAction::TreeAs, "Ctrl+F2"},
        {FrameAction::Folder, "Ctrl+D"},
        {FrameAction::FolderAs, "Ctrl+F3"},
        {FrameAction::AutoFolder, "F3"},
        {FrameAction::FileViewer, "Ctrl+V"},
        {FrameAction::AutoFileViewer, "F7"},
        {FrameAction::ClearFilter, "F9"},
        {FrameAction::FilesOnly, "Ctrl+F"},
        {FrameAction::FolderSize, "F4"},
        {FrameAction::ToggleDisplay, "Ctrl+T"},
        {FrameAction::SelectAll, "Ctrl+/"},
        {FrameAction::SelectAllFiles, "Shift+/"},
        {FrameAction::SelectDeselect, "Ctrl+Shift+/"},
        {FrameAction::Next, "Ctrl+Tab"},
        {FrameAction::Previous, "Ctrl+Shift+Tab"},
        {FrameAction::SetOptions, "Ctrl+F10", false},
        {FrameAction::ArrangeAll, "F6"},
        {FrameAction::Refresh, "F5"},
        {FrameAction::Close, "Ctrl+F4"},
        {FrameAction::Contents, "F1"},
    };
    return keys;
}

// What a US keyboard sends for a key-cap combination, as a Qt event and as the
// key names of xdotool.
struct Typed {
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers;
    QString xdotool;
};

inline Typed asTyped(const QString& cap) {
    Typed t;
    QStringList parts = cap.split(u'+');
    const QString name = parts.takeLast();
    QStringList x;
    for (const QString& m : parts) {
        if (m == u"Ctrl") t.modifiers |= Qt::ControlModifier, x << QStringLiteral("ctrl");
        if (m == u"Shift") t.modifiers |= Qt::ShiftModifier, x << QStringLiteral("shift");
    }
    const bool shift = t.modifiers & Qt::ShiftModifier;
    if (name.size() == 1 && name[0].isLetter()) {
        t.key = Qt::Key(Qt::Key_A + (name[0].toUpper().unicode() - u'A'));
        x << name.toLower();
    } else if (name.size() >= 2 && name[0] == u'F' && name.mid(1).toInt() > 0) {
        t.key = Qt::Key(Qt::Key_F1 + name.mid(1).toInt() - 1);
        x << name;
    } else if (name == u"/") {
        t.key = shift ? Qt::Key_Question : Qt::Key_Slash;
        x << QStringLiteral("slash");
    } else if (name == u"Tab") {
        t.key = shift ? Qt::Key_Backtab : Qt::Key_Tab;
        x << QStringLiteral("Tab");
    } else if (name == u"Del") {
        t.key = Qt::Key_Delete;
        x << QStringLiteral("Delete");
    } else if (name == u"Enter") {
        t.key = Qt::Key_Return;
        x << QStringLiteral("Return");
    } else if (name == u"Keypad Enter") {
        t.key = Qt::Key_Enter;
        t.modifiers |= Qt::KeypadModifier;
        x << QStringLiteral("KP_Enter");
    }
    t.xdotool = x.join(u'+');
    return t;
}

// A frame with the tree window and a folder window on a temporary folder, the
// folder window's list holding the keyboard focus. The commands' handlers are
// cut off, so that a key shows only where it arrives.
class KeyBench {
public:
    KeyBench() {
        tmp_.writeFile("a.txt", "a");
        tmp_.makeDir("sub");
        frame_ = std::make_unique<arbel::ui::Tmdimain>(
            arbel::ui::FrameOptions{cfg_.path() + "/Arbelwin.cfg", false});
        frame_->show();
    }
    // False when the frame or its folder window did not come up.
    bool start() {
        if (!QTest::qWaitForWindowExposed(frame_.get())) return false;
        frame_->activateWindow();
        if (!QTest::qWaitForWindowActive(frame_.get())) return false;
        if (!QTest::qWaitFor([this] { return !frame_->startupPending(); })) return false;
        window_ = qobject_cast<arbel::ui::FileWindow*>(arbel::ui::openFolderWindow(*frame_, tmp_.path()));
        if (!window_) return false;
        window_->fileList().waitForRead();
        if (!QTest::qWaitFor([this] { return !window_->reading(); })) return false;
        for (int i = 0; i < int(FrameAction::Count_); ++i) {
            QAction* a = frame_->actions().action(FrameAction(i));
            QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
            spies_[i] = std::make_unique<QSignalSpy>(a, &QAction::triggered);
        }
        focusList();
        return true;
    }
    QWidget* focusList() {
        window_->mainControl()->setFocus();
        return QApplication::focusWidget();
    }
    arbel::ui::Tmdimain& frame() { return *frame_; }

    // Presses one key with press(), then reports what was wrong ("" when the
    // key reached its item, and no other).
    QString check(const Key& k, const std::function<void(const Typed&)>& press) {
        for (auto& [i, spy] : spies_) spy->clear();
        focusList();
        press(asTyped(QString::fromLatin1(k.cap)));
        const int own = int(k.action);
        if (k.fires)
            (void)QTest::qWaitFor([&] { return spies_[own]->count() > 0; }, 2000);
        else
            QTest::qWait(100);
        QStringList fired;
        for (auto& [i, spy] : spies_)
            for (int n = 0; n < spy->count(); ++n)
                fired << frame_->actions().action(FrameAction(i))->objectName();
        const QString want = k.fires ? frame_->actions().action(k.action)->objectName() : QString();
        if (fired == (want.isEmpty() ? QStringList() : QStringList{want})) return {};
        return QStringLiteral("%1: expected [%2], fired [%3]")
            .arg(QString::fromLatin1(k.cap), want, fired.join(QStringLiteral(", ")));
    }

    // Presses every key of the table; the list of failures.
    QStringList checkAll(const std::function<void(const Typed&)>& press) {
        QStringList failures;
        for (const Key& k : frameKeys())
            if (QString f = check(k, press); !f.isEmpty()) failures << f;
        return failures;
    }

private:
    arbel::test::TempDir tmp_;
    arbel::test::TempDir cfg_;
    std::unique_ptr<arbel::ui::Tmdimain> frame_;
    arbel::ui::FileWindow* window_ = nullptr;
    std::map<int, std::unique_ptr<QSignalSpy>> spies_;
};

}  // namespace frame_keys
