#include <QApplication>
#include <QIcon>

#include <csignal>

#include "core/app/command_line.h"
#include "ui/app/shutdown_watch.h"
#include "ui/app/single_instance.h"
#include "ui/frame/mdimain.h"

int main(int argc, char** argv) {
    // A write past a file-size limit must fail with EFBIG (and be reported as a
    // refused write), not kill the program with SIGXFSZ.
    std::signal(SIGXFSZ, SIG_IGN);
    // --help and --version need no display: answered before Qt starts.
    if (int code = arbel::app::answerCommandLine(arbel::app::processCommandLine(argc, argv), false);
        code >= 0)
        return code;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Arbel"));
    QApplication::setOrganizationName(QStringLiteral("arbel"));
    // Desktops without a configured icon theme still get the tool-bar icons.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    QApplication::setWindowIcon(QIcon::fromTheme(
        QStringLiteral("arbel"),
        QIcon::fromTheme(QStringLiteral("system-file-manager"), QIcon::fromTheme(QStringLiteral("folder")))));

    // Qt has taken its own options (-platform, -style, ...); the rest are Arbel's.
    const arbel::app::CommandLine args = arbel::app::processCommandLine(argc, argv);
    if (int code = arbel::app::answerCommandLine(args, true); code >= 0) return code;
    arbel::ui::SingleInstance instance(QDBusConnection::sessionBus());
    if (!args.paths.empty() && instance.handOver(args.paths)) return 0;

    // SIGTERM, SIGINT and SIGHUP stop the running jobs, which clean up, then quit.
    arbel::ui::watchShutdownSignals();
    arbel::ui::Tmdimain frame;
    frame.show();
    instance.serve(frame, args.paths);
    return app.exec();
}
