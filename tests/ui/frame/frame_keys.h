#pragma once
// The frame's shortcuts as a user presses them, shared by the key tests of the
// offscreen platform and of a real X server. Keys are written as on the key
// caps of a US keyboard ("Ctrl+Shift+/"); asTyped() turns them into what that
// keyboard sends: Shift with the "/" key arrives as "?" with Shift, Shift with
// Tab as Backtab with Shift, the keypad's Enter as Enter with the keypad flag.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
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
        {FrameAction::Undo, "Ctrl+Z"},
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
        if (m == u"Alt") t.modifiers |= Qt::AltModifier, x << QStringLiteral("alt");
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

// The visible, enabled items of a menu (or of the menu bar) that share their
// mnemonic letter with another, by letter.
inline std::map<QChar, QList<QAction*>> sharedMnemonics(const QList<QAction*>& actions) {
    std::map<QChar, QList<QAction*>> byLetter;
    for (QAction* a : actions) {
        if (!a->isVisible() || !a->isEnabled() || a->isSeparator()) continue;
        const QKeySequence m = QKeySequence::mnemonic(a->text());
        if (!m.isEmpty()) byLetter[QChar(m[0].key())].append(a);
    }
    std::erase_if(byLetter, [](const auto& entry) { return entry.second.size() < 2; });
    return byLetter;
}

inline QString names(const QList<QAction*>& actions) {
    QStringList out;
    for (QAction* a : actions) out << (a ? a->text() : QStringLiteral("nothing"));
    return out.join(u',');
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

    // Pressing Alt with a letter two menus of the menu bar share opens them in
    // turn; pressing a letter two items of an open menu share moves between
    // them, and nothing is chosen. Returns what went otherwise.
    QStringList checkMnemonics(const std::function<void(const Typed&)>& press) {
        QStringList failures;
        QMenuBar* bar = frame_->menuBar();
        auto openMenu = [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); };
        auto closeMenus = [&] {
            for (int i = 0; i < 5 && openMenu(); ++i) {
                openMenu()->close();
                QTest::qWait(20);
            }
            // The offscreen platform leaves a closed menu the active window.
            frame_->activateWindow();
            (void)QTest::qWaitForWindowActive(frame_.get());
        };
        const auto shared = sharedMnemonics(bar->actions());
        QChar unshared;
        for (QAction* a : bar->actions()) {
            const QKeySequence m = QKeySequence::mnemonic(a->text());
            if (!m.isEmpty() && a->menu() && !shared.count(QChar(m[0].key()))) unshared = QChar(m[0].key());
        }
        for (const auto& [letter, menus] : shared) {
            closeMenus();
            // Another menu's letter first: a cycle starts again at its first menu.
            press(asTyped(QStringLiteral("Alt+") + unshared));
            (void)QTest::qWaitFor([&] { return openMenu() != nullptr; }, 2000);
            closeMenus();
            QList<QAction*> seen;
            for (int n = 0; n < menus.size() + 1; ++n) {
                press(asTyped(QStringLiteral("Alt+") + letter));
                (void)QTest::qWaitFor(
                    [&] { return openMenu() && (seen.isEmpty() || openMenu()->menuAction() != seen.last()); },
                    2000);
                seen << (openMenu() ? openMenu()->menuAction() : nullptr);
            }
            const QList<QAction*> want = menus + QList<QAction*>{menus.first()};
            if (seen != want)
                failures
                    << QStringLiteral("Alt+%1 opened [%2], not [%3]").arg(letter, names(seen), names(want));
        }
        closeMenus();
        for (int m = 0; m < int(arbel::ui::FrameMenu::Count_); ++m) {
            QMenu* menu = frame_->actions().menu(arbel::ui::FrameMenu(m));
            for (const auto& [letter, items] : sharedMnemonics(menu->actions())) {
                closeMenus();
                menu->popup(QPoint(10, 10));
                if (!QTest::qWaitFor([&] { return openMenu() == menu; }, 2000)) {
                    failures << menu->title() + QStringLiteral(" did not open");
                    continue;
                }
                for (auto& [i, spy] : spies_) spy->clear();
                QList<QAction*> seen;
                for (int n = 0; n < items.size() + 1; ++n) {
                    press(asTyped(QString(letter)));
                    (void)QTest::qWaitFor(
                        [&] {
                            return menu->activeAction() &&
                                   (seen.isEmpty() || menu->activeAction() != seen.last());
                        },
                        2000);
                    seen << menu->activeAction();
                }
                const QList<QAction*> want = items + QList<QAction*>{items.first()};
                if (seen != want)
                    failures << QStringLiteral("%1 in %2 went to [%3], not [%4]")
                                    .arg(letter, menu->title(), names(seen), names(want));
                for (auto& [i, spy] : spies_)
                    if (spy->count())
                        failures << frame_->actions().action(FrameAction(i))->objectName() +
                                        QStringLiteral(" was chosen");
            }
        }
        closeMenus();
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
