#include "ui/shortcuts/shortcut_properties.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "core/app/file_system.h"
#include "core/shortcuts/shell_link.h"
#include "core/shortcuts/shortcut_info.h"
#include "ui/app/scope_guards.h"

namespace arbel::ui {

namespace {

QLineEdit* field(QWidget* parent, const QString& value) {
    auto* edit = new QLineEdit(value, parent);
    edit->setReadOnly(true);
    edit->setMinimumWidth(360);
    edit->setCursorPosition(0);
    return edit;
}

}  // namespace

ShortcutProperties::ShortcutProperties(QWidget* parent, const std::string& file) : QDialog(parent, Qt::Tool) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("shortcutProperties"));
    const shortcuts::ShortcutInfo info = shortcuts::readShortcut(file);
    const QString name = info.name.empty() ? displayPath(baseName(file)) : QString::fromStdString(info.name);
    setWindowTitle(name + QStringLiteral(" Properties"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const bool link = info.type == "Link";
    form->addRow(QStringLiteral("Name:"), field(this, name));
    form->addRow(QStringLiteral("Kind:"), field(this, link ? QStringLiteral("Link to a document or folder")
                                                           : QStringLiteral("Application launcher")));
    targetEdit = field(this, displayPath(info.target));
    form->addRow(QStringLiteral("Target:"), targetEdit);
    argumentsEdit = field(this, displayPath(shortcuts::displayWords(info.arguments)));
    folderEdit = field(this, displayPath(info.workingDir));
    if (!link) {
        form->addRow(QStringLiteral("Arguments:"), argumentsEdit);
        form->addRow(QStringLiteral("Start in:"), folderEdit);
    } else {
        argumentsEdit->hide();
        folderEdit->hide();
    }
    commentEdit = field(this, QString::fromStdString(info.description));
    form->addRow(QStringLiteral("Comment:"), commentEdit);
    form->addRow(QStringLiteral("Icon:"), field(this, QString::fromStdString(info.icon)));
    form->addRow(QStringLiteral("Location:"), field(this, displayPath(file)));
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
}

bool ShortcutProperties::open(QWidget* parent, const std::string& file) {
    if (!shortcuts::hasShortcutExtension(file) || !shortcuts::readShortcut(file).readable) return false;
    auto* window = new ShortcutProperties(parent, file);
    window->show();
    window->raise();
    return true;
}

}  // namespace arbel::ui
