#include "ui/app/file_drag.h"

#include <QDrag>
#include <QMimeData>

#include "core/dnd/uri_list.h"

namespace arbel::ui {

namespace {

const QString kUriList = QStringLiteral("text/uri-list");

Qt::DropAction qtAction(dnd::DropEffect e) {
    switch (e) {
        case dnd::DropEffect::Copy:
            return Qt::CopyAction;
        case dnd::DropEffect::Move:
            return Qt::MoveAction;
        case dnd::DropEffect::Link:
            return Qt::LinkAction;
        case dnd::DropEffect::None:
            break;
    }
    return Qt::IgnoreAction;
}

dnd::DropEffect effectOf(Qt::DropAction a) {
    switch (a) {
        case Qt::CopyAction:
            return dnd::DropEffect::Copy;
        case Qt::MoveAction:
        case Qt::TargetMoveAction:
            return dnd::DropEffect::Move;
        case Qt::LinkAction:
            return dnd::DropEffect::Link;
        default:
            return dnd::DropEffect::None;
    }
}

dnd::DropEffects effectsOf(Qt::DropActions actions) {
    dnd::DropEffects out = 0;
    for (Qt::DropAction a : {Qt::CopyAction, Qt::MoveAction, Qt::LinkAction})
        if (actions & a) out |= unsigned(effectOf(a));
    return out;
}

bool within(const QObject* object, const QObject* owner) {
    for (; object && owner; object = object->parent())
        if (object == owner) return true;
    return false;
}

}  // namespace

DragHooks& dragHooks() {
    static DragHooks hooks;
    return hooks;
}

QMimeData* fileDragData(const std::vector<std::string>& paths) {
    const std::string list = dnd::encodeUriList(paths);
    auto* data = new QMimeData;
    data->setData(kUriList, QByteArray(list.data(), qsizetype(list.size())));
    return data;
}

std::vector<std::string> droppedPaths(const QMimeData* data) {
    if (!data || !data->hasFormat(kUriList)) return {};
    const QByteArray bytes = data->data(kUriList);
    return dnd::decodeUriList(std::string_view(bytes.constData(), size_t(bytes.size())));
}

dnd::DragResult startFileDrag(QWidget* source, const std::vector<std::string>& paths) {
    const dnd::DropEffects offered = unsigned(dnd::DropEffect::Copy);
    if (paths.empty() || !source) return dnd::DragResult::NotStarted;
    auto* drag = new QDrag(source);  // the drag owns the data; the source owns the drag
    drag->setMimeData(fileDragData(paths));
    const Qt::DropAction done =
        dragHooks().exec ? dragHooks().exec(*drag, Qt::CopyAction) : drag->exec(Qt::CopyAction);
    if (dragHooks().exec) drag->deleteLater();  // exec() deletes it; a hook leaves it to us
    return dnd::dragResult(paths.size(), offered, effectOf(done));
}

dnd::DropEffect judgeDrop(QDropEvent* event, const FileDropHandling& h, bool checkPoint) {
    auto refuse = [event] {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return dnd::DropEffect::None;
    };
    if (h.effects == 0 || !event->mimeData() || !event->mimeData()->hasFormat(kUriList)) return refuse();
    if (droppedPaths(event->mimeData()).empty()) return refuse();
    // A drag started inside Arbel offers copy only to other programs; here the copy
    // dialog it opens lets the user choose anyway, so the keys decide.
    const bool ours = event->source() != nullptr;
    dnd::DropQuery q;
    q.allowed = h.effects & (ours ? dnd::kAllEffects : effectsOf(event->possibleActions()));
    q.shift = event->modifiers() & Qt::ShiftModifier;
    q.ctrl = event->modifiers() & Qt::ControlModifier;
    q.ownDrag = within(event->source(), h.owner);
    q.acceptOwn = h.acceptOwn;
    const dnd::DropEffect effect = dnd::dropEffect(q);
    if (effect == dnd::DropEffect::None) return refuse();
    if (checkPoint && h.allowedAt && !h.allowedAt(event->position().toPoint())) return refuse();
    event->setDropAction(qtAction(effect));
    event->accept();
    return effect;
}

bool inScrollMargin(const QAbstractItemView* view, const QPoint& p) {
    const int m = view->autoScrollMargin();
    const QRect r = view->viewport()->rect();
    return p.y() - r.top() < m || r.bottom() - p.y() < m || p.x() - r.left() < m || r.right() - p.x() < m;
}

}  // namespace arbel::ui
