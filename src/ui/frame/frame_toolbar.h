#pragma once
// The frame's tool bar ("ashpan"): one button per command with its hint, the
// view panel at the right end, and clicks on the empty background that switch
// windows (left: next, right: previous).

#include <QToolBar>
#include <QToolButton>

namespace arbel::ui {

class Tmdimain;
class ViewPanel;

// A tool button that also reports right-button presses (the alternate forms
// of several commands).
class ToolButton : public QToolButton {
    Q_OBJECT
public:
    using QToolButton::QToolButton;
signals:
    void rightClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class FrameToolBar : public QToolBar {
    Q_OBJECT
public:
    FrameToolBar(Tmdimain& frame, ViewPanel* panel);

    ToolButton* newdir = nullptr;
    ToolButton* autodirbut = nullptr;
    ToolButton* findbut = nullptr;
    ToolButton* copybut = nullptr;
    ToolButton* movebut = nullptr;
    ToolButton* SpeedButton2 = nullptr;  // Create Shortcut
    ToolButton* delbut = nullptr;
    ToolButton* renamebut = nullptr;
    ToolButton* autoviewbut = nullptr;
    ToolButton* selectbut = nullptr;
    ToolButton* editbut = nullptr;
    ToolButton* attribbut = nullptr;
    ToolButton* refreshbut = nullptr;
    ToolButton* copydiskbut = nullptr;
    ToolButton* formatdiskbut = nullptr;
    ToolButton* mapnetbut = nullptr;
    ToolButton* unmapnetbut = nullptr;

    // Every command button in tool-bar order.
    QList<ToolButton*> buttons() const;

signals:
    void backgroundPressed(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace arbel::ui
