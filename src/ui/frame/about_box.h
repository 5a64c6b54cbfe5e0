#pragma once
// The about box ("about Arbel"): borderless, teal, on top of the frame and
// centred on it. Clicking the picture closes it; it frees itself when closed.

#include <QWidget>

namespace arbel::ui {

class AboutBox : public QWidget {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* frame);
    // Creates the box, centres it on the frame and shows it.
    static AboutBox* open(QWidget* frame);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace arbel::ui
