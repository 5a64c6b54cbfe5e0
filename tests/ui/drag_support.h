#pragma once
// Drags in the interface tests: a drag out of an item view the way a user makes
// one (press on an entry, move past the start distance) with the platform's drag
// loop replaced, and drops built from raw bytes as another program sends them.
#include <QAbstractItemView>
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <optional>

#include "ui/app/file_drag.h"

namespace arbel::ui::dragtest {

struct DragOut {
    QByteArray uriList;  // what the drag carried as text/uri-list
    Qt::DropActions offered;
};

// Presses on `index` (the selection stays when it is selected already), moves, and
// answers `answer` for the target. Nothing when no drag started.
inline std::optional<DragOut> dragOut(QAbstractItemView* view, const QModelIndex& index,
                                      Qt::DropAction answer = Qt::CopyAction) {
    std::optional<DragOut> seen;
    auto saved = dragHooks().exec;
    dragHooks().exec = [&](QDrag& drag, Qt::DropActions offered) {
        seen = DragOut{drag.mimeData()->data(QStringLiteral("text/uri-list")), offered};
        return answer;
    };
    QWidget* vp = view->viewport();
    const QPoint from = view->visualRect(index).center();
    QTest::mousePress(vp, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 3; ++step) {
        const QPointF to = from + QPoint(step * QApplication::startDragDistance(), step * 4);
        QMouseEvent move(QEvent::MouseMove, to, vp->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
        if (seen) break;
    }
    QTest::mouseRelease(vp, Qt::LeftButton, {}, from);
    dragHooks().exec = saved;
    return seen;
}

// A uri-list as another program hands it over: bytes, not Arbel's encoder.
inline QMimeData* foreignUriList(const QByteArray& bytes) {
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/uri-list"), bytes);
    return data;
}

struct DropOutcome {
    bool enterAccepted = false;
    bool moveAccepted = false;
    bool dropAccepted = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

// Enter, move and drop at `pos` of `viewport`, with the keys held.
inline DropOutcome dropOn(QWidget* viewport, const QPoint& pos, const QMimeData* data,
                          Qt::KeyboardModifiers keys = {},
                          Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction) {
    DropOutcome out;
    QDragEnterEvent enter(pos, offered, data, Qt::LeftButton, keys);
    QApplication::sendEvent(viewport, &enter);
    out.enterAccepted = enter.isAccepted();
    if (!out.enterAccepted) return out;
    QDragMoveEvent move(pos, offered, data, Qt::LeftButton, keys);
    QApplication::sendEvent(viewport, &move);
    out.moveAccepted = move.isAccepted();
    QDropEvent drop(QPointF(pos), offered, data, Qt::LeftButton, keys);
    QApplication::sendEvent(viewport, &drop);
    out.dropAccepted = drop.isAccepted();
    out.action = drop.dropAction();
    return out;
}

}  // namespace arbel::ui::dragtest
