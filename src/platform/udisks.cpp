#include "platform/udisks.h"

#include <gio/gio.h>

#include <vector>

namespace arbel {

namespace {

constexpr const char* kService = "org.freedesktop.UDisks2";
constexpr const char* kManagerPath = "/org/freedesktop/UDisks2/Manager";
constexpr const char* kManager = "org.freedesktop.UDisks2.Manager";
constexpr const char* kBlock = "org.freedesktop.UDisks2.Block";
constexpr const char* kFilesystem = "org.freedesktop.UDisks2.Filesystem";
constexpr const char* kDrive = "org.freedesktop.UDisks2.Drive";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

// A formatting with a full erase writes the whole device; give it hours, not seconds.
constexpr int kFormatTimeoutMs = 6 * 3600 * 1000;

ServiceOutcome outcomeOf(const std::string& name) {
    if (name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
        name == "org.freedesktop.DBus.Error.NameHasNoOwner" ||
        name.rfind("org.freedesktop.DBus.Error.Spawn", 0) == 0)
        return ServiceOutcome::Absent;
    if (name == "org.freedesktop.UDisks2.Error.NotAuthorizedDismissed" ||
        name == "org.freedesktop.UDisks2.Error.Cancelled")
        return ServiceOutcome::Cancelled;
    if (name.rfind("org.freedesktop.UDisks2.Error.NotAuthorized", 0) == 0)
        return ServiceOutcome::NotAuthorized;
    return ServiceOutcome::Failed;
}

ServiceResult failure(const std::string& volume, GError* error) {
    ServiceResult r;
    r.volume = volume;
    if (g_dbus_error_is_remote_error(error)) {
        gchar* name = g_dbus_error_get_remote_error(error);
        r.errorName = name ? name : "";
        g_free(name);
        g_dbus_error_strip_remote_error(error);
        r.outcome = outcomeOf(r.errorName);
    } else {
        // The bus itself failed (no connection, a time-out): there is no service to ask.
        r.outcome = ServiceOutcome::Absent;
    }
    r.message = error->message ? error->message : "unknown error";
    g_error_free(error);
    return r;
}

ServiceResult absent(const std::string& volume, std::string message) {
    ServiceResult r;
    r.outcome = ServiceOutcome::Absent;
    r.volume = volume;
    r.message = std::move(message);
    return r;
}

}  // namespace

struct UDisksClient::Impl {
    GDBusConnection* bus = nullptr;
    std::string connectError;
    int timeoutMs = 25000;

    ~Impl() {
        if (bus) g_object_unref(bus);
    }

    // Calls a method; returns its reply or the failure. The reply belongs to the caller.
    GVariant* call(const std::string& volume, const std::string& object, const char* iface,
                   const char* method, GVariant* args, const GVariantType* replyType, ServiceResult& out,
                   int timeout = -1) {
        if (!bus) {
            if (args) g_variant_unref(g_variant_ref_sink(args));
            out = absent(volume, connectError);
            return nullptr;
        }
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_sync(bus, kService, object.c_str(), iface, method, args,
                                                      replyType, G_DBUS_CALL_FLAGS_NONE,
                                                      timeout < 0 ? timeoutMs : timeout, nullptr, &error);
        if (!reply) {
            out = failure(volume, error);
            return nullptr;
        }
        out = ServiceResult{};
        out.volume = volume;
        return reply;
    }

    // A property of an object; null (and `out` set) on failure.
    GVariant* property(const std::string& volume, const std::string& object, const char* iface,
                       const char* name, ServiceResult& out) {
        GVariant* reply = call(volume, object, kProperties, "Get", g_variant_new("(ss)", iface, name),
                               G_VARIANT_TYPE("(v)"), out);
        if (!reply) return nullptr;
        GVariant* value = nullptr;
        g_variant_get(reply, "(v)", &value);
        g_variant_unref(reply);
        return value;
    }

    static GVariant* noOptions() { return g_variant_new("(a{sv})", nullptr); }
};

UDisksClient::UDisksClient(std::string busAddress, std::chrono::milliseconds timeout)
    : impl_(std::make_unique<Impl>()) {
    impl_->timeoutMs = int(timeout.count());
    GError* error = nullptr;
    if (busAddress.empty()) {
        impl_->bus = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &error);
    } else {
        impl_->bus = g_dbus_connection_new_for_address_sync(
            busAddress.c_str(),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
    }
    if (!impl_->bus) {
        impl_->connectError = std::string("The system bus is not available: ") +
                              (error && error->message ? error->message : "no connection");
        if (error) g_error_free(error);
    }
}

UDisksClient::~UDisksClient() = default;

ServiceResult UDisksClient::probe() {
    ServiceResult r;
    GVariant* v = impl_->property({}, kManagerPath, kManager, "Version", r);
    if (!v) return r;
    r.value = g_variant_get_string(v, nullptr);
    g_variant_unref(v);
    return r;
}

ServiceResult UDisksClient::blockObject(const std::string& device) {
    ServiceResult r;
    GVariantBuilder deviceQuery;
    g_variant_builder_init(&deviceQuery, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&deviceQuery, "{sv}", "path", g_variant_new_string(device.c_str()));
    GVariant* reply =
        impl_->call(device, kManagerPath, kManager, "ResolveDevice",
                    g_variant_new("(a{sv}a{sv})", &deviceQuery, nullptr), G_VARIANT_TYPE("(ao)"), r);
    if (!reply) return r;
    GVariantIter* iter = nullptr;
    g_variant_get(reply, "(ao)", &iter);
    const gchar* path = nullptr;
    if (g_variant_iter_next(iter, "&o", &path)) r.value = path;
    g_variant_iter_free(iter);
    g_variant_unref(reply);
    if (r.value.empty()) {
        r.outcome = ServiceOutcome::Failed;
        r.message = "The disk service does not know the device " + device + ".";
    }
    return r;
}

ServiceResult UDisksClient::mediaAvailable(const std::string& device, bool& available) {
    available = true;
    ServiceResult r = blockObject(device);
    if (!r.ok()) return r;
    GVariant* drive = impl_->property(device, r.value, kBlock, "Drive", r);
    if (!drive) return r;
    std::string drivePath = g_variant_get_string(drive, nullptr);
    g_variant_unref(drive);
    if (drivePath.empty() || drivePath == "/") return r;  // a loop device or the like: no medium to miss
    GVariant* media = impl_->property(device, drivePath, kDrive, "MediaAvailable", r);
    if (!media) return r;
    available = g_variant_get_boolean(media);
    g_variant_unref(media);
    return r;
}

ServiceResult UDisksClient::setLabel(const std::string& device, const std::string& label) {
    ServiceResult r = blockObject(device);
    if (!r.ok()) return r;
    GVariant* reply = impl_->call(device, r.value, kFilesystem, "SetLabel",
                                  g_variant_new("(sa{sv})", label.c_str(), nullptr), nullptr, r);
    if (reply) g_variant_unref(reply);
    return r;
}

ServiceResult UDisksClient::unmount(const std::string& device) {
    ServiceResult r = blockObject(device);
    if (!r.ok()) return r;
    GVariant* reply = impl_->call(device, r.value, kFilesystem, "Unmount", Impl::noOptions(), nullptr, r);
    if (reply) g_variant_unref(reply);
    return r;
}

ServiceResult UDisksClient::mount(const std::string& device) {
    ServiceResult r = blockObject(device);
    if (!r.ok()) return r;
    GVariant* reply =
        impl_->call(device, r.value, kFilesystem, "Mount", Impl::noOptions(), G_VARIANT_TYPE("(s)"), r);
    if (!reply) return r;
    const gchar* where = nullptr;
    g_variant_get(reply, "(&s)", &where);
    r.value = where ? where : "";
    g_variant_unref(reply);
    return r;
}

ServiceResult UDisksClient::format(const std::string& device, const FormatRequest& request) {
    ServiceResult r = blockObject(device);
    if (!r.ok()) return r;
    const std::string object = r.value;

    // Mounted? A device without a file system has no Filesystem interface: not mounted.
    bool wasMounted = false;
    ServiceResult probe;
    if (GVariant* points = impl_->property(device, object, kFilesystem, "MountPoints", probe)) {
        wasMounted = g_variant_n_children(points) > 0;
        g_variant_unref(points);
    }
    if (wasMounted) {
        GVariant* reply = impl_->call(device, object, kFilesystem, "Unmount", Impl::noOptions(), nullptr, r);
        if (!reply) return r;
        g_variant_unref(reply);
    }

    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE("a{sv}"));
    if (!request.label.empty())
        g_variant_builder_add(&options, "{sv}", "label", g_variant_new_string(request.label.c_str()));
    if (request.fullErase) g_variant_builder_add(&options, "{sv}", "erase", g_variant_new_string("zero"));
    GVariant* reply = impl_->call(device, object, kBlock, "Format",
                                  g_variant_new("(sa{sv})", request.fsType.c_str(), &options), nullptr, r,
                                  kFormatTimeoutMs);
    if (!reply) return r;
    g_variant_unref(reply);
    if (!wasMounted) return r;
    // The new file system goes back where the user expects a mounted volume.
    ServiceResult mounted;
    GVariant* where =
        impl_->call(device, object, kFilesystem, "Mount", Impl::noOptions(), G_VARIANT_TYPE("(s)"), mounted);
    if (where) {
        const gchar* point = nullptr;
        g_variant_get(where, "(&s)", &point);
        r.value = point ? point : "";
        g_variant_unref(where);
    }
    return r;
}

}  // namespace arbel
