#include "ui/viewer/plus_memo.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "ui/app/scope_guards.h"

namespace arbel::ui {

using viewer::TextPos;

namespace {

constexpr uint64_t kIndexSlice = 4u << 20;  // bytes indexed per idle step
const char16_t kSeparators[] = u" ,.:;";

std::u16string toU16(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), s.size());
}

}  // namespace

TPlusMemo::TPlusMemo(QWidget* parent) : QAbstractScrollArea(parent) {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSize(9);
    setFont(f);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    indexTimer_.setInterval(0);
    connect(&indexTimer_, &QTimer::timeout, this, &TPlusMemo::indexSome);
}

TPlusMemo::~TPlusMemo() = default;

Status TPlusMemo::loadFile(const std::string& path) {
    clear();
    auto doc = viewer::TextDocument::openFile(path);
    if (!doc) return doc.error();
    attach(std::move(*doc));
    return {};
}

void TPlusMemo::loadBytes(std::string bytes) {
    clear();
    attach(viewer::TextDocument::fromBytes(std::move(bytes)));
}

void TPlusMemo::attach(std::unique_ptr<viewer::TextDocument> doc) {
    doc_ = std::move(doc);
    view_ = std::make_unique<viewer::TextView>(*doc_);
    view_->setWordWrap(wrap_);
    view_->setApplyKeys(applyKeys_);
    view_->setKeys(keys_);
    view_->setColumns(columns());
    hscroll_ = 0;
    widestLine_ = 0;
    anchor_ = caret_ = {};
    if (!doc_->indexComplete()) indexTimer_.start();
    syncScrollBars();
    viewport()->update();
}

void TPlusMemo::clear() {
    indexTimer_.stop();
    view_.reset();
    doc_.reset();
    anchor_ = caret_ = {};
    hscroll_ = widestLine_ = 0;
    syncScrollBars();
    viewport()->update();
}

void TPlusMemo::indexSome() {
    if (!doc_ || doc_->indexMore(kIndexSlice)) indexTimer_.stop();
    syncScrollBars();
}

void TPlusMemo::setWordWrap(bool on) {
    wrap_ = on;
    setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    hscroll_ = 0;
    if (view_) view_->setWordWrap(on);
    relayout();
}

void TPlusMemo::setApplyStartStopKeys(bool on) {
    applyKeys_ = on;
    if (view_) view_->setApplyKeys(on);
}

void TPlusMemo::AddStartStopKey(const QString& start, const QString& stop, const QColor& colour) {
    keys_.push_back({toU16(start), toU16(stop), false});
    keyColours_.push_back(colour);
    if (view_) view_->setKeys(keys_);
}

void TPlusMemo::ReApply() {
    if (!view_) return;
    WaitCursor wait;
    view_->reApply();
    viewport()->update();
}

TextPos TPlusMemo::TopLine() const {
    return view_ ? TextPos{view_->topParagraph(), view_->top().offset} : TextPos{};
}

void TPlusMemo::setTopLine(int64_t paragraph, int subLine) {
    if (!view_) return;
    view_->setTop(paragraph, subLine);
    syncScrollBars();
    viewport()->update();
}

// Fractional: a run of text advances by the font's exact width, so whole pixels
// would drift against it along a long line.
qreal TPlusMemo::charWidth() const {
    return std::max<qreal>(1.0, QFontMetricsF(font()).horizontalAdvance(QLatin1Char('M')));
}
int TPlusMemo::lineHeight() const {
    return std::max(1, fontMetrics().lineSpacing());
}
int TPlusMemo::visibleLines() const {
    return std::max(1, viewport()->height() / lineHeight());
}
int TPlusMemo::columns() const {
    return std::max(1, int((viewport()->width() - kLeftMargin - kRightMargin) / charWidth()));
}

void TPlusMemo::relayout() {
    if (view_) view_->setColumns(columns());
    syncScrollBars();
    viewport()->update();
}

void TPlusMemo::syncScrollBars() {
    syncing_ = true;
    QScrollBar* v = verticalScrollBar();
    if (view_) {
        v->setRange(0, int(std::min<int64_t>(std::max<int64_t>(doc_->knownParagraphs() - 1, 0), INT32_MAX)));
        v->setPageStep(visibleLines());
        v->setValue(int(std::min<int64_t>(view_->topParagraph(), INT32_MAX)));
    } else {
        v->setRange(0, 0);
    }
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, wrap_ ? 0 : std::max(0, widestLine_ - columns() + 1));
    h->setPageStep(columns());
    h->setValue(hscroll_);
    syncing_ = false;
}

void TPlusMemo::scrollContentsBy(int, int) {
    if (syncing_ || !view_) return;
    view_->setTop(verticalScrollBar()->value(), 0);
    hscroll_ = horizontalScrollBar()->value();
    viewport()->update();
}

void TPlusMemo::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void TPlusMemo::wheelEvent(QWheelEvent* event) {
    if (!view_) return;
    int steps = -event->angleDelta().y() / 40;  // three lines a notch
    if (steps == 0) return;
    view_->scrollLines(steps);
    syncScrollBars();
    viewport()->update();
}

void TPlusMemo::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), palette().base());
    if (!view_) return;
    p.setFont(font());
    const qreal cw = charWidth();
    const int lh = lineHeight(), ascent = fontMetrics().ascent();
    const int tab = view_->tabStop();
    const int firstCol = wrap_ ? 0 : hscroll_;
    const int lastCol = firstCol + columns() + 2;
    TextPos a = std::min(anchor_, caret_), b = std::max(anchor_, caret_);
    const QColor text = palette().color(QPalette::Text);
    const QColor selBg = palette().color(QPalette::Highlight),
                 selFg = palette().color(QPalette::HighlightedText);

    auto lines = view_->lines(visibleLines() + 1);
    // One copy per paragraph, not per wrapped line: a long paragraph fills the screen.
    std::u16string para;
    int64_t paraIndex = -1;
    for (size_t li = 0; li < lines.size(); ++li) {
        const viewer::DisplayLine& line = lines[li];
        if (line.paragraph != paraIndex) {
            para = doc_->paragraph(line.paragraph);
            paraIndex = line.paragraph;
        }
        std::u16string_view all(para);
        std::u16string_view s = all.substr(size_t(line.start), size_t(line.end - line.start));
        const int y = int(li) * lh;

        // Cut the line where drawing changes: spans, selection, tabs, the visible edges.
        std::vector<int> cuts{0, int(s.size())};
        int visFrom = viewer::offsetAtColumn(s, firstCol, tab),
            visTo = viewer::offsetAtColumn(s, lastCol, tab);
        if (!wrap_) widestLine_ = std::max(widestLine_, viewer::columnOf(s, int(s.size()), tab));
        cuts.push_back(std::max(0, visFrom - 1));
        cuts.push_back(visTo);
        for (const auto& sp : line.spans) {
            cuts.push_back(sp.start - line.start);
            cuts.push_back(sp.start + sp.length - line.start);
        }
        auto selCut = [&](const TextPos& pos) {
            if (pos.paragraph == line.paragraph)
                cuts.push_back(std::clamp(pos.offset - line.start, 0, int(s.size())));
        };
        selCut(a);
        selCut(b);
        for (int i = visFrom > 0 ? visFrom - 1 : 0; i < visTo && i < int(s.size()); ++i)
            if (s[size_t(i)] == u'\t') {
                cuts.push_back(i);
                cuts.push_back(i + 1);
            }
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

        int col = viewer::columnOf(s, cuts.front(), tab);
        for (size_t k = 0; k + 1 < cuts.size(); ++k) {
            int from = cuts[k], to = cuts[k + 1];
            std::u16string_view seg = s.substr(size_t(from), size_t(to - from));
            int endCol = col;
            for (char16_t c : seg)
                endCol = c == u'\t' ? (endCol / tab + 1) * tab
                                    : (c >= 0xDC00 && c <= 0xDFFF ? endCol : endCol + 1);
            if (to <= visFrom - 1 || from >= visTo) {
                col = endCol;
                continue;
            }
            TextPos here{line.paragraph, line.start + from};
            bool selected = here >= a && here < b;
            int key = -1;
            for (const auto& sp : line.spans)
                if (line.start + from >= sp.start && line.start + from < sp.start + sp.length) key = sp.key;
            const qreal x = kLeftMargin + (col - firstCol) * cw;
            const qreal w = (endCol - col) * cw;
            if (selected) p.fillRect(QRectF(x, y, w, lh), selBg);
            if (seg.front() != u'\t') {
                p.setPen(selected ? selFg : key >= 0 ? keyColours_[size_t(key)] : text);
                p.drawText(QPointF(x, y + ascent), QString::fromUtf16(seg.data(), qsizetype(seg.size())));
            }
            col = endCol;
        }
    }
}

TextPos TPlusMemo::hit(QPoint pos) {
    if (!view_) return {};
    const int idx = std::max(0, pos.y() / lineHeight());
    auto lines = view_->lines(idx + 1);
    if (lines.empty()) return {};
    const viewer::DisplayLine& line = lines[std::min(size_t(idx), lines.size() - 1)];
    if (size_t(idx) >= lines.size()) return {line.paragraph, line.end};
    const std::u16string para = doc_->paragraph(line.paragraph);
    std::u16string_view s =
        std::u16string_view(para).substr(size_t(line.start), size_t(line.end - line.start));
    int column = std::max(0, int((pos.x() - kLeftMargin) / charWidth() + 0.5)) + (wrap_ ? 0 : hscroll_);
    return {line.paragraph, line.start + viewer::offsetAtColumn(s, column, view_->tabStop())};
}

void TPlusMemo::mousePressEvent(QMouseEvent* event) {
    emit pressed();
    if (event->button() != Qt::LeftButton) return;
    TextPos at = hit(event->pos());
    if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = at;
    caret_ = at;
    viewport()->update();
}

void TPlusMemo::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || !view_) return;
    if (event->pos().y() < 0) view_->scrollLines(-1);
    if (event->pos().y() > viewport()->height()) view_->scrollLines(1);
    caret_ = hit(event->pos());
    syncScrollBars();
    viewport()->update();
}

void TPlusMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!view_ || event->button() != Qt::LeftButton) return;
    TextPos at = hit(event->pos());
    auto [from, to] = viewer::wordAt(doc_->paragraph(at.paragraph), at.offset, kSeparators);
    setSelection({at.paragraph, from}, {at.paragraph, to});
}

void TPlusMemo::keyPressEvent(QKeyEvent* event) {
    if (!view_) return QAbstractScrollArea::keyPressEvent(event);
    if (event->matches(QKeySequence::Copy)) {
        CopyToClipboard();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_Down:
            view_->scrollLines(1);
            break;
        case Qt::Key_Up:
            view_->scrollLines(-1);
            break;
        case Qt::Key_PageDown:
            view_->scrollLines(visibleLines() - 1);
            break;
        case Qt::Key_PageUp:
            view_->scrollLines(-(visibleLines() - 1));
            break;
        case Qt::Key_Home:
            if (ctrl) view_->setTop(0, 0);
            hscroll_ = 0;
            break;
        case Qt::Key_End:
            if (ctrl) {
                while (!doc_->indexMore(64u << 20)) {
                }
                view_->setTop(doc_->knownParagraphs() - 1, INT32_MAX);
            }
            break;
        case Qt::Key_Right:
            if (!wrap_) hscroll_ = std::min(hscroll_ + 1, horizontalScrollBar()->maximum());
            break;
        case Qt::Key_Left:
            if (!wrap_) hscroll_ = std::max(hscroll_ - 1, 0);
            break;
        default:
            return QAbstractScrollArea::keyPressEvent(event);
    }
    syncScrollBars();
    viewport()->update();
}

void TPlusMemo::setSelection(TextPos anchor, TextPos caret) {
    anchor_ = anchor;
    caret_ = caret;
    viewport()->update();
}

void TPlusMemo::selectAll() {
    if (!doc_) return;
    WaitCursor wait;
    while (!doc_->indexMore(64u << 20)) {
    }
    int64_t last = doc_->knownParagraphs() - 1;
    setSelection({0, 0}, {last, int(doc_->paragraph(last).size())});
    syncScrollBars();
}

QString TPlusMemo::SelText() const {
    if (!doc_ || !hasSelection()) return {};
    auto text = doc_->textBetween(anchor_, caret_);
    if (!text) return {};
    return QString::fromStdString(*text);
}

bool TPlusMemo::CopyToClipboard() {
    copyError_.clear();
    if (!doc_ || !hasSelection()) return true;
    auto text = doc_->textBetween(anchor_, caret_);
    if (!text) {
        copyError_ = QString::fromStdString(text.error().message);
        return false;
    }
    QApplication::clipboard()->setText(QString::fromStdString(*text));
    return true;
}

QStringList TPlusMemo::shownLines() const {
    QStringList out;
    if (!view_) return out;
    for (const auto& line : view_->lines(visibleLines())) {
        const std::u16string para = doc_->paragraph(line.paragraph);
        out << QString::fromUtf16(para.data() + line.start, line.end - line.start);
    }
    return out;
}

}  // namespace arbel::ui
