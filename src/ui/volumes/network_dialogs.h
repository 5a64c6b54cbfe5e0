#pragma once
// Map Network Drive and Disconnect Network Drive: Arbel's own dialogs where the
// design called the platform's. Connect mounts a location through GIO; GIO's
// questions (a password, "log in anyway?") are answered in Qt dialogs while the
// mount waits on its worker. Disconnect lists the network mounts and unmounts the
// chosen one. After either succeeds the tree rereads its volumes; a cancel changes
// nothing.

#include <string>

#include "core/volumes/network.h"
#include "ui/app/operation_dialog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace arbel::ui {

class Tmdimain;

// The callbacks GIO calls on the job's worker, answered on the interface thread by
// dialogs parented to `owner`. They give up (cancel) when the job is cancelled.
MountCallbacks interfaceMountCallbacks(QWidget* owner, JobContext& job);

class Tnetconnect : public OperationDialog {
    Q_OBJECT
public:
    explicit Tnetconnect(Tmdimain& frame);
    static Tnetconnect* open(Tmdimain& frame);

    QLineEdit* Location = nullptr;
    QLabel* Status = nullptr;
    QPushButton* ConnectButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void confirm() override { ConnectButtonClick(); }

public slots:
    void ConnectButtonClick();
};

class Tnetdisconnect : public OperationDialog {
    Q_OBJECT
public:
    explicit Tnetdisconnect(Tmdimain& frame);
    static Tnetdisconnect* open(Tmdimain& frame);

    QListWidget* Mounts = nullptr;
    QLabel* Status = nullptr;
    QPushButton* DisconnectButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void confirm() override { DisconnectButtonClick(); }
    // The mounts are being read (the list fills when they are in).
    bool reading() const;

public slots:
    void DisconnectButtonClick();

signals:
    void mountsRead();

private:
    void readMounts();
    BackgroundJob* reader_ = nullptr;
};

// After a successful connect or disconnect: the tree rereads its volumes.
void networkVolumesChanged(Tmdimain& frame);

}  // namespace arbel::ui
