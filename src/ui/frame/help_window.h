#pragma once
// Arbel's help: HTML pages shipped inside the program, shown in a window of
// their own. Page 1 is "Contents" (F1), page 2 the "Screen Map".

#include <QWidget>

class QTextBrowser;

namespace arbel::ui {

enum class HelpPage { Contents = 1, ScreenMap = 2 };

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* frame);
    void showPage(HelpPage page);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

}  // namespace arbel::ui
