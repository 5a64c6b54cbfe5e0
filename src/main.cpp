#include <QApplication>
#include <QIcon>

#include <csignal>

#include "ui/app/shutdown_watch.h"
#include "ui/frame/mdimain.h"

int main(int argc, char** argv) {
    // A write past a file-size limit must fail with EFBIG (and be reported as a
    // refused write), not kill the program with SIGXFSZ.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Arbel"));
    QApplication::setOrganizationName(QStringLiteral("arbel"));
    // Desktops without a configured icon theme still get the tool-bar icons.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("system-file-manager"), QIcon::fromTheme(QStringLiteral("folder"))));

    // SIGTERM, SIGINT and SIGHUP stop the running jobs, which clean up, then quit.
    arbel::ui::watchShutdownSignals();
    arbel::ui::Tmdimain frame;
    frame.show();
    return app.exec();
}
