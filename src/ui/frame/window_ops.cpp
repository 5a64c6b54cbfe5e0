// The registry commands of the Window menu: arranging, closing, switching and
// the numbered window entries.
#include <QMdiArea>

#include "core/app/placement.h"
#include "ui/app/child_window.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"

namespace arbel::ui {

void Tmdimain::Organize1Click() {
    QPointer<ChildWindow> remembered = currentOf(state_.activeKind);
    const QSize client = ScrollBox1->viewport()->size();
    {
        FrozenUpdates frozen(ScrollBox1);
        for (const app::ArrangedWindow& placed :
             arrangePlan(registry_, *config_, client.width(), client.height())) {
            ChildWindow* w = child(placed.id);
            if (!w) continue;
            if (w->isMaximized() || w->isMinimized()) w->showNormal();
            w->setGeometry(int(placed.rect.left), int(placed.rect.top), int(placed.rect.width),
                           int(placed.rect.height));
            w->raise();
        }
    }
    if (remembered) activateChild(remembered);
}

void Tmdimain::Close1Click() {
    if (ChildWindow* w = currentOf(state_.activeKind)) w->close();
}

void Tmdimain::switcher(app::SwitchDirection direction) {
    if (const auto id = registry_.switchTarget(state_.activeKind, direction))
        if (ChildWindow* w = child(*id)) activateChild(w);
}

void Tmdimain::next1Click() {
    switcher(app::SwitchDirection::Next);
}

void Tmdimain::previous1Click() {
    switcher(app::SwitchDirection::Previous);
}

void Tmdimain::ashpanMouseDown(Qt::MouseButton button) {
    switcher(button == Qt::RightButton ? app::SwitchDirection::Previous : app::SwitchDirection::Next);
}

void Tmdimain::windClick(std::size_t number) {
    if (const auto id = registry_.byMenuNumber(number))
        if (ChildWindow* w = child(*id)) activateChild(w);
}

}  // namespace arbel::ui
