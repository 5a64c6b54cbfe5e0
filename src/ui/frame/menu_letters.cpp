#include "ui/frame/menu_letters.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>

namespace arbel::ui {

namespace {

// The items of a menu that a press of the letter can reach.
QList<QAction*> itemsOf(QMenu* menu, QChar letter) {
    QList<QAction*> items;
    for (QAction* a : menu->actions()) {
        if (!a->isVisible() || !a->isEnabled() || a->isSeparator()) continue;
        const QKeySequence m = QKeySequence::mnemonic(a->text());
        if (!m.isEmpty() && QChar(m[0].key()) == letter) items << a;
    }
    return items;
}

class LetterCycle : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* sub = qobject_cast<QMenu*>(watched);
        auto* parent = sub ? qobject_cast<QMenu*>(sub->parentWidget()) : nullptr;
        auto* key = static_cast<QKeyEvent*>(event);
        if (!parent || !parent->isVisible() || key->text().size() != 1 ||
            (key->modifiers() & ~(Qt::ShiftModifier | Qt::AltModifier)))
            return false;
        const QChar letter = key->text()[0].toUpper();
        if (!itemsOf(sub, letter).isEmpty()) return false;  // the submenu's own letter
        const QList<QAction*> cycle = itemsOf(parent, letter);
        if (cycle.size() < 2 || !cycle.contains(sub->menuAction())) return false;
        sub->hide();
        parent->setActiveAction(cycle[(cycle.indexOf(sub->menuAction()) + 1) % cycle.size()]);
        return true;
    }
};

}  // namespace

void cycleSharedLetters(QMenu* menu) {
    auto* cycle = new LetterCycle(menu);
    for (QAction* a : menu->actions())
        if (QMenu* sub = a->menu()) {
            sub->installEventFilter(cycle);
            cycleSharedLetters(sub);
        }
}

}  // namespace arbel::ui
