#pragma once
// TPlusMemo: the viewer's read-only text display over the core text document and
// view. It paints only the lines on screen, indexes the rest of the file in idle
// time (so the scroll range grows to the true count), colours start/stop spans,
// wraps or scrolls sideways, and selects and copies text.

#include <QAbstractScrollArea>
#include <QColor>
#include <QTimer>
#include <memory>
#include <string>

#include "core/viewer/text_document.h"
#include "core/viewer/text_layout.h"

namespace arbel::ui {

class TPlusMemo : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TPlusMemo(QWidget* parent = nullptr);
    ~TPlusMemo() override;

    // Opens a file as text (LoadFromStream); on failure the display is empty.
    Status loadFile(const std::string& path);
    void loadBytes(std::string bytes);
    // Shows a document opened elsewhere (off the interface thread).
    void showDocument(std::unique_ptr<viewer::TextDocument> doc) {
        clear();
        attach(std::move(doc));
    }
    void clear();
    bool hasDocument() const { return doc_ != nullptr; }
    viewer::TextDocument* document() const { return doc_.get(); }

    bool wordWrap() const { return view_ ? view_->wordWrap() : wrap_; }
    void setWordWrap(bool on);
    bool applyStartStopKeys() const { return applyKeys_; }
    void setApplyStartStopKeys(bool on);
    // A start/stop pair drawn in `colour` (the viewer adds "<" ">" in blue).
    void AddStartStopKey(const QString& start, const QString& stop, const QColor& colour);
    // Re-parses the whole text with the wait cursor; TopLine is the caller's to keep.
    void ReApply();

    // First visible display line: paragraph and display line within it.
    viewer::TextPos TopLine() const;
    int topSubLine() const { return view_ ? view_->topSubLine() : 0; }
    void setTopLine(int64_t paragraph, int subLine);
    // Number of display lines that fit, and the columns of the wrap width.
    int visibleLines() const;
    int columns() const;

    // Selection (anchor and caret; either order).
    bool hasSelection() const { return anchor_ != caret_; }
    void setSelection(viewer::TextPos anchor, viewer::TextPos caret);
    void selectAll();
    QString SelText() const;
    // Copies the selection as plain text; nothing when it is empty. False (with the
    // reason in lastCopyError()) when the selection is too large to copy.
    bool CopyToClipboard();
    QString lastCopyError() const { return copyError_; }

    // The text of the display lines on screen, for tests and printing.
    QStringList shownLines() const;

signals:
    void pressed();  // a mouse press (the viewer activates its window)

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void attach(std::unique_ptr<viewer::TextDocument> doc);
    void indexSome();
    void relayout();
    void syncScrollBars();
    viewer::TextPos hit(QPoint pos);
    qreal charWidth() const;
    int lineHeight() const;

    std::unique_ptr<viewer::TextDocument> doc_;
    std::unique_ptr<viewer::TextView> view_;
    std::vector<viewer::StartStopKey> keys_;
    std::vector<QColor> keyColours_;
    bool wrap_ = true;
    bool applyKeys_ = true;
    int hscroll_ = 0;     // columns scrolled sideways (no wrap)
    int widestLine_ = 0;  // columns of the widest line painted so far
    bool syncing_ = false;
    viewer::TextPos anchor_, caret_;
    QTimer indexTimer_;
    QString copyError_;
    static constexpr int kLeftMargin = 5, kRightMargin = 8;
};

}  // namespace arbel::ui
