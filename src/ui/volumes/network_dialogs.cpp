#include "ui/volumes/network_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/tree/mdisubdir.h"

namespace arbel::ui {

namespace {

std::string bytesOf(const QString& text) {
    const QByteArray b = text.toUtf8();
    return std::string(b.constData(), size_t(b.size()));
}

// Runs `show` on the interface thread and waits for the answer it hands to its
// callback; `onCancel` when the job is cancelled first (the owner went away).
template <class T>
T askInterface(QWidget* owner, JobContext& job, std::function<void(std::function<void(T)>)> show,
               T onCancel) {
    struct Shared {
        std::mutex m;
        std::condition_variable cv;
        std::optional<T> answer;
    };
    auto shared = std::make_shared<Shared>();
    QPointer<QWidget> guard(owner);
    QMetaObject::invokeMethod(
        owner,
        [shared, show] {
            show([shared](T value) {
                std::lock_guard lock(shared->m);
                shared->answer = std::move(value);
                shared->cv.notify_all();
            });
        },
        Qt::QueuedConnection);
    std::unique_lock lock(shared->m);
    while (!shared->answer) {
        if (job.cancelled()) return onCancel;
        shared->cv.wait_for(lock, std::chrono::milliseconds(100));
    }
    return *shared->answer;
}

void showPasswordDialog(QWidget* owner, const PasswordRequest& r, std::function<void(PasswordAnswer)> reply) {
    auto* dialog = new QDialog(owner);
    dialog->setObjectName(QStringLiteral("networkPassword"));
    dialog->setWindowTitle(QStringLiteral("Arbel"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(dialog);
    auto* text = new QLabel(
        displayPath(r.message.empty() ? "A password is needed for " + r.location : r.message), dialog);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* form = new QFormLayout;
    auto* user = new QLineEdit(displayPath(r.user), dialog);
    user->setObjectName(QStringLiteral("user"));
    auto* domain = new QLineEdit(displayPath(r.domain), dialog);
    domain->setObjectName(QStringLiteral("domain"));
    auto* password = new QLineEdit(dialog);
    password->setObjectName(QStringLiteral("password"));
    password->setEchoMode(QLineEdit::Password);
    if (r.needUser) form->addRow(QStringLiteral("&User:"), user);
    if (r.needDomain) form->addRow(QStringLiteral("&Domain:"), domain);
    if (r.needPassword) form->addRow(QStringLiteral("&Password:"), password);
    layout->addLayout(form);
    auto* anonymous = new QCheckBox(QStringLiteral("Connect &anonymously"), dialog);
    anonymous->setObjectName(QStringLiteral("anonymous"));
    anonymous->setVisible(r.anonymousAllowed);
    layout->addWidget(anonymous);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QDialog::finished, dialog, [=](int result) {
        if (*answered) return;
        *answered = true;
        PasswordAnswer a;
        a.cancelled = result != QDialog::Accepted;
        a.anonymous = anonymous->isChecked();
        a.user = bytesOf(user->text());
        a.domain = bytesOf(domain->text());
        a.password = bytesOf(password->text());
        reply(a);
    });
    // A dialog destroyed unanswered (its owner closed) is a cancel.
    QObject::connect(dialog, &QObject::destroyed, [answered, reply] {
        if (!*answered) reply(PasswordAnswer{});
    });
    dialog->open();
    (r.needUser && r.user.empty() ? user : password)->setFocus();
}

void showQuestion(QWidget* owner, const std::string& message, const std::vector<std::string>& choices,
                  std::function<void(int)> reply) {
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Arbel"), displayPath(message),
                                QMessageBox::NoButton, owner);
    box->setObjectName(QStringLiteral("networkQuestion"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    std::vector<QAbstractButton*> buttons;
    for (const std::string& c : choices)
        buttons.push_back(box->addButton(displayPath(c), QMessageBox::AcceptRole));
    auto answered = std::make_shared<bool>(false);
    QObject::connect(box, &QMessageBox::buttonClicked, box, [=](QAbstractButton* b) {
        *answered = true;
        auto it = std::find(buttons.begin(), buttons.end(), b);
        reply(it == buttons.end() ? -1 : int(it - buttons.begin()));
    });
    QObject::connect(box, &QObject::destroyed, [answered, reply] {
        if (!*answered) reply(-1);
    });
    box->open();
}

}  // namespace

MountCallbacks interfaceMountCallbacks(QWidget* owner, JobContext& job) {
    MountCallbacks c;
    c.askPassword = [owner, &job](const PasswordRequest& r) {
        return askInterface<PasswordAnswer>(
            owner, job,
            [owner, r](std::function<void(PasswordAnswer)> reply) { showPasswordDialog(owner, r, reply); },
            PasswordAnswer{});
    };
    c.askQuestion = [owner, &job](const std::string& message, const std::vector<std::string>& choices) {
        return askInterface<int>(
            owner, job,
            [owner, message, choices](std::function<void(int)> reply) {
                showQuestion(owner, message, choices, reply);
            },
            -1);
    };
    c.cancelled = [&job] { return job.cancelled(); };
    return c;
}

void networkVolumesChanged(Tmdimain& frame) {
    if (Tmdisubdir* tree = Tmdisubdir::of(frame)) tree->refreshWindow(app::RefreshSignal::None);
}

// ---------------------------------------------------------------- connect

Tnetconnect::Tnetconnect(Tmdimain& frame)
    : OperationDialog(frame, app::DialogTag::Network, QStringLiteral("netconnect"),
                      QStringLiteral("Map Network Drive"), Qt::WindowStaysOnTopHint) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("&Location (smb://, sftp://, ftp://, dav://, davs://, nfs://):"), this));
    Location = new QLineEdit(this);
    Location->setMinimumWidth(360);
    Location->setPlaceholderText(QStringLiteral("smb://server/share"));
    layout->addWidget(Location);
    Status = new QLabel(this);
    layout->addWidget(Status);
    auto* buttons = new QHBoxLayout;
    ConnectButton = new QPushButton(QStringLiteral("&Connect"), this);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addStretch();
    buttons->addWidget(ConnectButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);
    connect(ConnectButton, &QPushButton::clicked, this, &Tnetconnect::ConnectButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, [this] {
        // While a mount runs, Cancel stops it; the dialog closes once it ended.
        if (busy()) {
            if (auto* job = findChild<BackgroundJob*>()) job->cancel();
            return;
        }
        close();
    });
    watchConfirmKeys(Location, ConnectButton);
    finishCreation(Location);
}

Tnetconnect* Tnetconnect::open(Tmdimain& frame) {
    return showOverFrame(frame, new Tnetconnect(frame));
}

void Tnetconnect::ConnectButtonClick() {
    if (busy()) return;
    (void)takeKeepOpen();
    const volumes::LocationCheck check = volumes::checkLocation(bytesOf(Location->text()));
    if (!check.problem.empty()) {
        showMessage(this, QString::fromStdString(check.problem));
        return;
    }
    Location->setEnabled(false);
    ConnectButton->setEnabled(false);
    Status->setText(QStringLiteral("Connecting to %1...").arg(displayPath(check.location)));
    auto result = std::make_shared<NetworkResult>();
    auto* job = new BackgroundJob(this, this);
    runJob(job);
    job->start(
        [this, result, location = check.location](JobContext& ctx) {
            *result = mountLocation(location, interfaceMountCallbacks(this, ctx));
        },
        [this, result, job] {
            job->deleteLater();
            Location->setEnabled(true);
            ConnectButton->setEnabled(true);
            Status->clear();
            if (result->ok()) {
                Tmdimain& frame = frame_;
                close();
                networkVolumesChanged(frame);
                return;
            }
            if (result->outcome == NetworkOutcome::Failed)
                showMessage(this, QStringLiteral("Unable to connect to %1.\n%2")
                                      .arg(displayPath(result->location), displayPath(result->message)));
        });
}

// ---------------------------------------------------------------- disconnect

Tnetdisconnect::Tnetdisconnect(Tmdimain& frame)
    : OperationDialog(frame, app::DialogTag::Network, QStringLiteral("netdisconnect"),
                      QStringLiteral("Disconnect Network Drive"), Qt::WindowStaysOnTopHint) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("&Network locations:"), this));
    Mounts = new QListWidget(this);
    Mounts->setMinimumWidth(360);
    layout->addWidget(Mounts);
    Status = new QLabel(this);
    layout->addWidget(Status);
    auto* buttons = new QHBoxLayout;
    DisconnectButton = new QPushButton(QStringLiteral("&Disconnect"), this);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addStretch();
    buttons->addWidget(DisconnectButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);
    connect(DisconnectButton, &QPushButton::clicked, this, &Tnetdisconnect::DisconnectButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::close);
    connect(Mounts, &QListWidget::itemDoubleClicked, this, &Tnetdisconnect::DisconnectButtonClick);
    finishCreation(Mounts);
    readMounts();
}

Tnetdisconnect* Tnetdisconnect::open(Tmdimain& frame) {
    return showOverFrame(frame, new Tnetdisconnect(frame));
}

bool Tnetdisconnect::reading() const {
    return reader_ && reader_->running();
}

void Tnetdisconnect::readMounts() {
    DisconnectButton->setEnabled(false);
    Status->setText(QStringLiteral("Reading the network locations..."));
    auto mounts = std::make_shared<std::vector<NetworkMount>>();
    reader_ = new BackgroundJob(this, this);
    reader_->start(
        [mounts](JobContext&) { *mounts = networkMounts(); },
        [this, mounts] {
            Mounts->clear();
            for (const NetworkMount& m : *mounts) {
                auto* item = new QListWidgetItem(
                    QStringLiteral("%1  (%2)").arg(displayPath(m.name), displayPath(m.location)), Mounts);
                item->setData(Qt::UserRole, QByteArray(m.location.data(), qsizetype(m.location.size())));
            }
            if (Mounts->count() > 0) Mounts->setCurrentRow(0);
            Status->setText(mounts->empty() ? QStringLiteral("No network location is connected.")
                                            : QString());
            DisconnectButton->setEnabled(!mounts->empty());
            emit mountsRead();
        });
}

void Tnetdisconnect::DisconnectButtonClick() {
    if (busy() || reading()) return;
    (void)takeKeepOpen();
    QListWidgetItem* item = Mounts->currentItem();
    if (!item) return;
    const QByteArray uri = item->data(Qt::UserRole).toByteArray();
    std::string location(uri.constData(), size_t(uri.size()));
    DisconnectButton->setEnabled(false);
    Status->setText(QStringLiteral("Disconnecting %1...").arg(displayPath(location)));
    auto result = std::make_shared<NetworkResult>();
    auto* job = new BackgroundJob(this, this);
    runJob(job);
    job->start(
        [this, result, location](JobContext& ctx) {
            *result = unmountLocation(location, interfaceMountCallbacks(this, ctx));
        },
        [this, result, job] {
            job->deleteLater();
            DisconnectButton->setEnabled(true);
            Status->clear();
            if (result->ok()) {
                Tmdimain& frame = frame_;
                close();
                networkVolumesChanged(frame);
                return;
            }
            if (result->outcome == NetworkOutcome::Failed)
                showMessage(this, QStringLiteral("Unable to disconnect %1.\n%2")
                                      .arg(displayPath(result->location), displayPath(result->message)));
        });
}

}  // namespace arbel::ui
