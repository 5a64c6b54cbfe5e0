#pragma once
// One Arbel a session: the first one owns the bus name org.arbel.Arbel and
// exports org.freedesktop.FileManager1; a later `arbel PATH` hands its paths
// to it and ends. Without a session bus every Arbel simply runs on its own.
// A plain `arbel` (no path) always starts its own frame, as before.

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <string>
#include <vector>

#include "core/app/open_targets.h"

namespace arbel::ui {

class Tmdimain;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Exports the interfaces on `bus` at once (nothing is opened before serve()).
    explicit SingleInstance(QDBusConnection bus, QObject* parent = nullptr);
    ~SingleInstance() override;

    bool connected() const { return bus_.isConnected(); }
    // Claims the instance name; when another Arbel holds it, hands it `paths`
    // (absolute) with this process's activation token. True when the other
    // one took them: this process has nothing left to do. False when this
    // process is the first (it keeps the name), there is no bus, or the other
    // one did not answer (this one then starts on its own).
    bool handOver(const std::vector<std::string>& paths);
    // From now on requests open in `frame`, after its deferred start; `paths`
    // are the command line's own. Claims the names (waiting in line for them
    // when another process has them).
    void serve(Tmdimain& frame, std::vector<std::string> paths);
    bool ownsInstanceName() const;

    // Opens folder windows for the paths (queued until the frame has started).
    void open(std::vector<std::string> paths, app::ShowMode mode, const QString& token);

private:
    struct Request {
        std::vector<std::string> paths;
        app::ShowMode mode;
        QString token;
    };
    void openNow(const Request& request);
    void drain();

    QDBusConnection bus_;
    QPointer<Tmdimain> frame_;
    std::vector<Request> queue_;
};

}  // namespace arbel::ui
