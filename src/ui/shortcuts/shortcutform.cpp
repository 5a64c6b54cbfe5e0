#include "ui/shortcuts/shortcutform.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/config/settings.h"
#include "core/shortcuts/shortcut_plan.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/shortcuts/folder_list_box.h"

namespace arbel::ui {

using shortcuts::TShellFolder;

Tshortcutform::Tshortcutform(Tmdimain& frame, DialogSource source)
    : OperationDialog(frame, app::DialogTag::Shortcut, QStringLiteral("shortcutform"),
                      QStringLiteral("Create Shortcut")),
      source_(std::move(source)) {
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Caption:"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setMinimumWidth(300);
    Label1->setBuddy(Edit1);
    desktopcheck = new QRadioButton(QStringLiteral("On Desktop"), this);
    desktopcheck->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("On Startmenu"), this);
    DirectoryListBox1 = new FolderListBox(this);
    DirectoryListBox1->setMinimumHeight(160);
    DirectoryListBox1->hide();
    Panel1 = new QWidget(this);
    auto* panel = new QHBoxLayout(Panel1);
    panel->setContentsMargins(0, 0, 0, 0);
    Label2 = new QLabel(QStringLiteral("Multiple Shortcuts:"), Panel1);
    prefixcheck = new QCheckBox(QStringLiteral("\"Shortcut to\" prefix"), Panel1);
    panel->addWidget(Label2);
    panel->addWidget(prefixcheck);
    panel->addStretch();
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("Create"), this);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addWidget(desktopcheck);
    layout->addWidget(RadioButton2);
    layout->addWidget(DirectoryListBox1);
    layout->addWidget(Panel1);
    layout->addLayout(buttons);

    // FormCreate.
    prefixcheck->setChecked(config::getFlag(frame_.config(), config::keys::Prefix));
    const std::vector<std::string>& items = source_.gathered.items;
    if (!items.empty()) proposed_ = shortcuts::proposedCaption(items.front());
    Edit1->setText(displayPath(proposed_));
    const bool fileWindow = source_.kind == app::ActiveKind::List || source_.kind == app::ActiveKind::Auto;
    Panel1->setVisible(fileWindow && items.size() >= 2);
    // Several entries are named after themselves; the caption is for one item.
    Edit1->setEnabled(items.size() < 2);

    connect(desktopcheck, &QRadioButton::clicked, this, &Tshortcutform::desktopcheckClick);
    connect(RadioButton2, &QRadioButton::clicked, this, &Tshortcutform::RadioButton2Click);
    connect(Button1, &QPushButton::clicked, this, &Tshortcutform::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);
    watchConfirmKeys(Edit1, Button1);
    finishCreation(Edit1);
}

Tshortcutform* Tshortcutform::open(Tmdimain& frame) {
    DialogSource source = gatherFromFrame(frame);
    if (source.gathered.items.empty()) return nullptr;
    return showOverFrame(frame, new Tshortcutform(frame, std::move(source)));
}

void Tshortcutform::desktopcheckClick() {
    DirectoryListBox1->hide();
}

void Tshortcutform::RadioButton2Click() {
    auto folder = shortcuts::shortcutFolder(TShellFolder::sfStartMenu);
    if (!folder) {
        showMessage(this, displayPath(folder.error().describe()));
        desktopcheck->setChecked(true);
        return;
    }
    DirectoryListBox1->setDirectory(*folder);
    DirectoryListBox1->show();
}

std::string Tshortcutform::typedName() const {
    // An unchanged caption keeps the item's own bytes, which may not be UTF-8.
    if (Edit1->text() == displayPath(proposed_)) return proposed_;
    const QByteArray typed = Edit1->text().toUtf8();
    return std::string(typed.constData(), size_t(typed.size()));
}

void Tshortcutform::Button1Click() {
    const bool stay = takeKeepOpen();
    std::string destination;
    if (desktopcheck->isChecked()) {
        auto desktop = shortcuts::shortcutFolder(TShellFolder::sfDesktop);
        if (!desktop) {
            showMessage(this, QString::fromUtf8(shortcuts::kCouldNotCreate) +
                                  displayPath(desktop.error().describe()));
            return;
        }
        destination = *desktop;
    } else {
        destination = DirectoryListBox1->directory();
    }
    shortcuts::ShortcutRequest request;
    request.fromTree = source_.kind == app::ActiveKind::Dir;
    request.items = source_.gathered.items;
    request.typedName = typedName();
    request.prefix = prefixcheck->isChecked();
    request.destination = destination;
    auto planned = shortcuts::planShortcuts(request);
    if (!planned) {
        showMessage(this, displayPath(planned.error().message));
        return;
    }
    const std::vector<std::string> failures = shortcuts::writeShortcuts(*planned);
    {
        FrozenUpdates frozen(frame_.clientArea());
        refreshFolder(frame_, destination);
    }
    if (!failures.empty()) {
        // The dialog stays, so the user can change the name or the folder.
        QStringList lines;
        for (const std::string& f : failures) lines << displayPath(f);
        showMessage(this, lines.join(QLatin1Char('\n')), QMessageBox::Warning);
        return;
    }
    if (!stay) close();
}

void Tshortcutform::closeEvent(QCloseEvent* event) {
    reportWriteErrors(
        this, [&] { config::setFlag(frame_.config(), config::keys::Prefix, prefixcheck->isChecked()); });
    OperationDialog::closeEvent(event);
}

}  // namespace arbel::ui
