#include "ui/frame/help_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

// Resources in a static library must be registered by name from outside any namespace.
static void initHelpResources() {
    Q_INIT_RESOURCE(arbel_help);
}

namespace arbel::ui {

HelpWindow::HelpWindow(QWidget* frame) : QWidget(frame, Qt::Window) {
    initHelpResources();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Arbel Help"));
    resize(640, 520);
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    auto* map = new QPushButton(QStringLiteral("&Screen Map"), this);
    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    buttons->addWidget(contents);
    buttons->addWidget(map);
    buttons->addWidget(back);
    buttons->addStretch();
    layout->addLayout(buttons);
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(false);
    layout->addWidget(browser_);
    connect(contents, &QPushButton::clicked, this, [this] { showPage(HelpPage::Contents); });
    connect(map, &QPushButton::clicked, this, [this] { showPage(HelpPage::ScreenMap); });
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
}

void HelpWindow::showPage(HelpPage page) {
    const QUrl url(page == HelpPage::ScreenMap ? QStringLiteral("qrc:/help/screenmap.html")
                                               : QStringLiteral("qrc:/help/index.html"));
    browser_->setSource(url);
    show();
    raise();
    activateWindow();
}

}  // namespace arbel::ui
