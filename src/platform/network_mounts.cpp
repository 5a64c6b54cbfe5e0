#include "platform/network_mounts.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <cstdlib>

namespace arbel {

namespace {

// A main loop of this thread's own: GIO delivers the operation's questions and its
// end to the context that was the thread's default when it started.
class PrivateLoop {
public:
    explicit PrivateLoop(const MountCallbacks* callbacks) : callbacks_(callbacks) {
        context_ = g_main_context_new();
        g_main_context_push_thread_default(context_);
        cancellable_ = g_cancellable_new();
    }
    ~PrivateLoop() {
        // Let GIO finish what it queued for this context before the context goes.
        while (g_main_context_iteration(context_, FALSE)) {
        }
        g_main_context_pop_thread_default(context_);
        g_main_context_unref(context_);
        g_object_unref(cancellable_);
    }
    PrivateLoop(const PrivateLoop&) = delete;
    PrivateLoop& operator=(const PrivateLoop&) = delete;

    GCancellable* cancellable() const { return cancellable_; }
    void finish() { done_ = true; }

    // Runs until finish(); polls the caller's cancel flag on the way.
    void run() {
        GSource* poll = g_timeout_source_new(100);
        g_source_set_callback(
            poll,
            [](gpointer self) -> gboolean {
                auto* loop = static_cast<PrivateLoop*>(self);
                if (loop->callbacks_ && loop->callbacks_->cancelled && loop->callbacks_->cancelled())
                    g_cancellable_cancel(loop->cancellable_);
                return G_SOURCE_CONTINUE;
            },
            this, nullptr);
        g_source_attach(poll, context_);
        while (!done_) g_main_context_iteration(context_, TRUE);
        g_source_destroy(poll);
        g_source_unref(poll);
    }

private:
    const MountCallbacks* callbacks_;
    GMainContext* context_ = nullptr;
    GCancellable* cancellable_ = nullptr;
    bool done_ = false;
};

struct Operation {
    PrivateLoop* loop = nullptr;
    const MountCallbacks* callbacks = nullptr;
    std::string location;
    GError* error = nullptr;
    GObject* source = nullptr;
};

void askPassword(GMountOperation* op, const gchar* message, const gchar* user, const gchar* domain,
                 GAskPasswordFlags flags, gpointer data) {
    auto* operation = static_cast<Operation*>(data);
    if (!operation->callbacks->askPassword) {
        g_mount_operation_reply(op, G_MOUNT_OPERATION_ABORTED);
        return;
    }
    PasswordRequest request;
    request.location = operation->location;
    request.message = message ? message : "";
    request.user = user ? user : "";
    request.domain = domain ? domain : "";
    request.needUser = flags & G_ASK_PASSWORD_NEED_USERNAME;
    request.needDomain = flags & G_ASK_PASSWORD_NEED_DOMAIN;
    request.needPassword = flags & G_ASK_PASSWORD_NEED_PASSWORD;
    request.anonymousAllowed = flags & G_ASK_PASSWORD_ANONYMOUS_SUPPORTED;
    PasswordAnswer answer = operation->callbacks->askPassword(request);
    if (answer.cancelled) {
        g_mount_operation_reply(op, G_MOUNT_OPERATION_ABORTED);
        return;
    }
    if (answer.anonymous && request.anonymousAllowed) {
        g_mount_operation_set_anonymous(op, TRUE);
    } else {
        g_mount_operation_set_username(op, answer.user.c_str());
        g_mount_operation_set_domain(op, answer.domain.c_str());
        g_mount_operation_set_password(op, answer.password.c_str());
    }
    g_mount_operation_set_password_save(op, G_PASSWORD_SAVE_NEVER);
    g_mount_operation_reply(op, G_MOUNT_OPERATION_HANDLED);
}

void askQuestion(GMountOperation* op, const gchar* message, const gchar** choices, gpointer data) {
    auto* operation = static_cast<Operation*>(data);
    std::vector<std::string> list;
    for (const gchar** c = choices; c && *c; ++c) list.emplace_back(*c);
    int chosen = operation->callbacks->askQuestion
                     ? operation->callbacks->askQuestion(message ? message : "", list)
                     : -1;
    if (chosen < 0 || chosen >= int(list.size())) {
        g_mount_operation_reply(op, G_MOUNT_OPERATION_ABORTED);
        return;
    }
    g_mount_operation_set_choice(op, chosen);
    g_mount_operation_reply(op, G_MOUNT_OPERATION_HANDLED);
}

GMountOperation* newOperation(Operation& operation) {
    GMountOperation* op = g_mount_operation_new();
    g_signal_connect(op, "ask-password", G_CALLBACK(askPassword), &operation);
    g_signal_connect(op, "ask-question", G_CALLBACK(askQuestion), &operation);
    return op;
}

NetworkResult resultOf(const std::string& location, GError* error) {
    NetworkResult r;
    r.location = location;
    if (!error) return r;
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_ALREADY_MOUNTED)) {
        g_error_free(error);
        return r;
    }
    r.outcome = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_FAILED_HANDLED) ||
                        g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)
                    ? NetworkOutcome::Cancelled
                    : NetworkOutcome::Failed;
    r.message = error->message ? error->message : "";
    g_error_free(error);
    return r;
}

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

bool isNetworkLocation(std::string_view uri) {
    for (std::string_view scheme : {"smb://", "sftp://", "ftp://", "dav://", "davs://", "nfs://"})
        if (uri.size() > scheme.size() && uri.substr(0, scheme.size()) == scheme) return true;
    return false;
}

std::string networkServiceProblem() {
    // Never let GIO start a session bus of its own: only ask one that is there.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if ((!address || !*address) && !(runtime && *runtime && fileExists(std::string(runtime) + "/bus")))
        return "There is no session bus, so no gvfs daemon can answer.";
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        std::string why = std::string("The session bus does not answer: ") + (error ? error->message : "");
        if (error) g_error_free(error);
        return why;
    }
    auto has = [&](const char* method, const char* type) {
        GVariant* reply = g_dbus_connection_call_sync(
            bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
            g_str_equal(method, "NameHasOwner") ? g_variant_new("(s)", "org.gtk.vfs.Daemon") : nullptr,
            G_VARIANT_TYPE(type), G_DBUS_CALL_FLAGS_NONE, 1000, nullptr, nullptr);
        if (!reply) return false;
        bool found = false;
        if (g_str_equal(method, "NameHasOwner")) {
            gboolean owned = FALSE;
            g_variant_get(reply, "(b)", &owned);
            found = owned;
        } else {
            GVariantIter* iter = nullptr;
            const gchar* name = nullptr;
            g_variant_get(reply, "(as)", &iter);
            while (g_variant_iter_next(iter, "&s", &name))
                if (g_str_equal(name, "org.gtk.vfs.Daemon")) found = true;
            g_variant_iter_free(iter);
        }
        g_variant_unref(reply);
        return found;
    };
    // Running, or started by the bus when first asked.
    bool answers = has("NameHasOwner", "(b)") || has("ListActivatableNames", "(as)");
    g_object_unref(bus);
    return answers ? std::string() : "No gvfs daemon answers on the session bus.";
}

NetworkResult mountLocation(const std::string& uri, const MountCallbacks& callbacks) {
    PrivateLoop loop(&callbacks);
    Operation operation{&loop, &callbacks, uri, nullptr, nullptr};
    GFile* file = g_file_new_for_uri(uri.c_str());
    GMountOperation* op = newOperation(operation);
    g_file_mount_enclosing_volume(
        file, G_MOUNT_MOUNT_NONE, op, loop.cancellable(),
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* operation = static_cast<Operation*>(data);
            g_file_mount_enclosing_volume_finish(G_FILE(source), result, &operation->error);
            operation->loop->finish();
        },
        &operation);
    loop.run();
    g_object_unref(op);
    g_object_unref(file);
    return resultOf(uri, operation.error);
}

std::vector<NetworkMount> networkMounts() {
    PrivateLoop loop(nullptr);
    std::vector<NetworkMount> out;
    GVolumeMonitor* monitor = g_volume_monitor_get();
    GList* mounts = g_volume_monitor_get_mounts(monitor);
    for (GList* m = mounts; m; m = m->next) {
        GMount* mount = G_MOUNT(m->data);
        GFile* root = g_mount_get_root(mount);
        gchar* uri = g_file_get_uri(root);
        if (uri && isNetworkLocation(uri)) {
            NetworkMount n;
            gchar* name = g_mount_get_name(mount);
            gchar* path = g_file_get_path(root);
            n.name = name ? name : uri;
            n.location = uri;
            n.path = path ? path : "";
            g_free(name);
            g_free(path);
            out.push_back(std::move(n));
        }
        g_free(uri);
        g_object_unref(root);
    }
    g_list_free_full(mounts, g_object_unref);
    g_object_unref(monitor);
    return out;
}

NetworkResult unmountLocation(const std::string& location, const MountCallbacks& callbacks) {
    PrivateLoop loop(&callbacks);
    Operation operation{&loop, &callbacks, location, nullptr, nullptr};
    GFile* file = g_file_new_for_uri(location.c_str());
    GError* error = nullptr;
    GMount* mount = g_file_find_enclosing_mount(file, loop.cancellable(), &error);
    g_object_unref(file);
    if (!mount) return resultOf(location, error);
    GMountOperation* op = newOperation(operation);
    g_mount_unmount_with_operation(
        mount, G_MOUNT_UNMOUNT_NONE, op, loop.cancellable(),
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* operation = static_cast<Operation*>(data);
            g_mount_unmount_with_operation_finish(G_MOUNT(source), result, &operation->error);
            operation->loop->finish();
        },
        &operation);
    loop.run();
    g_object_unref(op);
    g_object_unref(mount);
    return resultOf(location, operation.error);
}

std::vector<std::string> listLocation(const std::string& uri, std::string* errorText) {
    std::vector<std::string> names;
    PrivateLoop loop(nullptr);
    GFile* file = g_file_new_for_uri(uri.c_str());
    GError* error = nullptr;
    GFileEnumerator* e =
        g_file_enumerate_children(file, G_FILE_ATTRIBUTE_STANDARD_NAME, G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS,
                                  loop.cancellable(), &error);
    if (e) {
        while (GFileInfo* info = g_file_enumerator_next_file(e, loop.cancellable(), &error)) {
            names.emplace_back(g_file_info_get_name(info));
            g_object_unref(info);
        }
        g_object_unref(e);
    }
    if (error) {
        if (errorText) *errorText = error->message ? error->message : "";
        g_error_free(error);
    }
    g_object_unref(file);
    return names;
}

}  // namespace arbel
