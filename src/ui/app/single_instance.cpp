#include "ui/app/single_instance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <cstdio>

#include "ui/app/file_manager_dbus.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/folder_windows.h"
#include "ui/ops/properties_window.h"

namespace arbel::ui {

namespace {

// A busy first instance still answers within this; a hung one must not keep
// the user waiting for the bus's own 25 s before this Arbel starts by itself.
constexpr int kHandOverTimeoutMs = 5000;

// The token the launching desktop gave this process (Wayland, then X11).
QString ownActivationToken() {
    for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
        const QByteArray v = qgetenv(name);
        if (!v.isEmpty()) return QString::fromUtf8(v);
    }
    return {};
}

}  // namespace

SingleInstance::SingleInstance(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus)) {
    if (!bus_.isConnected()) return;
    qDBusRegisterMetaType<QByteArrayList>();
    auto handler = [this](std::vector<std::string> paths, app::ShowMode mode, const QString& token) {
        open(std::move(paths), mode, token);
    };
    bus_.registerObject(QLatin1String(kInstancePath), new InstanceInterface(handler, this),
                        QDBusConnection::ExportAllSlots);
    bus_.registerObject(QLatin1String(kFileManagerPath), new FileManagerInterface(handler, this),
                        QDBusConnection::ExportAllSlots);
}

SingleInstance::~SingleInstance() {
    if (!bus_.isConnected()) return;
    bus_.unregisterObject(QLatin1String(kInstancePath));
    bus_.unregisterObject(QLatin1String(kFileManagerPath));
    bus_.unregisterService(QLatin1String(kInstanceService));
    bus_.unregisterService(QLatin1String(kFileManagerService));
}

bool SingleInstance::ownsInstanceName() const {
    if (!bus_.isConnected()) return false;
    const auto owner = bus_.interface()->serviceOwner(QLatin1String(kInstanceService));
    return owner.isValid() && owner.value() == bus_.baseService();
}

bool SingleInstance::handOver(const std::vector<std::string>& paths) {
    if (!bus_.isConnected()) return false;
    // Claiming first settles a race between two Arbels started at once: only
    // one gets the name, the other hands over to it.
    const auto claim = bus_.interface()->registerService(QLatin1String(kInstanceService),
                                                         QDBusConnectionInterface::DontQueueService,
                                                         QDBusConnectionInterface::DontAllowReplacement);
    if (claim.isValid() && claim.value() == QDBusConnectionInterface::ServiceRegistered) return false;
    QByteArrayList list;
    for (const std::string& p : paths) list << QByteArray::fromStdString(p);
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(kInstanceService), QLatin1String(kInstancePath),
                                       QLatin1String(kInstanceInterface), QStringLiteral("Open"));
    call << QVariant::fromValue(list) << ownActivationToken();
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kHandOverTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) return true;
    // Nobody holds the name after all (it just went): this one starts.
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")) return false;
    std::fprintf(stderr, "arbel: the running Arbel did not answer (%s); starting another\n",
                 qPrintable(reply.errorMessage()));
    return false;
}

void SingleInstance::serve(Tmdimain& frame, std::vector<std::string> paths) {
    frame_ = &frame;
    if (!paths.empty()) queue_.insert(queue_.begin(), Request{std::move(paths), app::ShowMode::Contents, {}});
    if (bus_.isConnected()) {
        // Another Arbel (started without a path) or another file manager may
        // hold a name: wait in line, and take it over when it goes.
        bus_.interface()->registerService(QLatin1String(kInstanceService),
                                          QDBusConnectionInterface::QueueService,
                                          QDBusConnectionInterface::DontAllowReplacement);
        bus_.interface()->registerService(QLatin1String(kFileManagerService),
                                          QDBusConnectionInterface::QueueService,
                                          QDBusConnectionInterface::AllowReplacement);
    }
    if (frame.startupPending()) {
        connect(&frame, &Tmdimain::startupFinished, this, &SingleInstance::drain, Qt::SingleShotConnection);
    } else {
        drain();
    }
}

void SingleInstance::open(std::vector<std::string> paths, app::ShowMode mode, const QString& token) {
    queue_.push_back(Request{std::move(paths), mode, token});
    if (frame_ && !frame_->startupPending()) drain();
}

void SingleInstance::drain() {
    const std::vector<Request> requests = std::move(queue_);
    queue_.clear();
    for (const Request& r : requests) {
        if (frame_) openNow(r);
    }
}

void SingleInstance::openNow(const Request& request) {
    const bool properties = request.mode == app::ShowMode::Properties;
    const app::ResolvedTargets resolved =
        resolveTargets(request.paths, properties ? app::ShowMode::Item : request.mode);
    for (const std::string& path : resolved.missing)
        std::fprintf(stderr, "arbel: no such file or folder: %s\n", path.c_str());
    if (resolved.targets.empty()) return;
    if (properties) {
        for (const std::string& path : request.paths) {
            if (!frame_) return;
            if (std::find(resolved.missing.begin(), resolved.missing.end(), path) == resolved.missing.end())
                showItemProperties(*frame_, path);
        }
    }
    for (const app::OpenTarget& target : resolved.targets) {
        if (!frame_ || properties) break;
        openFolderWindow(*frame_, target.folder, target.select);
    }
    if (!frame_) return;
    // The desktop raises a window only for a request it granted a token to. The
    // token is used up here: programs Arbel starts later must not inherit it.
    if (!request.token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", request.token.toUtf8());
    if (frame_->isMinimized()) frame_->setWindowState(frame_->windowState() & ~Qt::WindowMinimized);
    frame_->show();
    frame_->raise();
    frame_->activateWindow();
    qunsetenv("XDG_ACTIVATION_TOKEN");
}

}  // namespace arbel::ui
