#include "ui/frame/view_panel.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>

#include "ui/frame/frame_icons.h"

namespace arbel::ui {

namespace {

QToolButton* makeButton(QWidget* parent, const QString& hint, const QIcon& icon, bool checkable) {
    auto* b = new QToolButton(parent);
    b->setToolTip(hint);
    b->setIcon(icon);
    b->setAutoRaise(true);
    b->setCheckable(checkable);
    b->setIconSize(QSize(18, 18));
    return b;
}

const QStringList kFilterSamples = {"*.*", "*.exe", "*.gif", "*.htm*", "*.ini", "*.jpg", "*.txt"};

// One row of view controls; the disabled copy is built by the same code.
struct Row {
    QToolButton* shdirs;
    QToolButton* sort;
    QToolButton* styles[4];
    QComboBox* mask;
};

Row buildRow(QWidget* host) {
    auto* layout = new QHBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    Row r{};
    r.shdirs = makeButton(host, QStringLiteral("Show/Hide Folders"), frameIcon(FrameIcon::ShowFolders), true);
    r.sort = makeButton(host, QStringLiteral("Sort Order"), frameIcon(FrameIcon::SortOrder), false);
    const char* hints[4] = {"Large Icons", "Small Icons", "List", "Details"};
    const FrameIcon icons[4] = {FrameIcon::LargeIcons, FrameIcon::SmallIcons, FrameIcon::ListView,
                                FrameIcon::DetailsView};
    layout->addWidget(r.shdirs);
    layout->addWidget(r.sort);
    layout->addSpacing(4);
    for (int i = 0; i < 4; ++i) {
        r.styles[i] = makeButton(host, QString::fromLatin1(hints[i]), frameIcon(icons[i]), true);
        layout->addWidget(r.styles[i]);
    }
    layout->addSpacing(4);
    r.mask = new QComboBox(host);
    r.mask->setToolTip(QStringLiteral("File Filter"));
    r.mask->setMinimumContentsLength(10);
    layout->addWidget(r.mask);
    return r;
}

}  // namespace

ViewPanel::ViewPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("viewpan"));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    stack_ = new QStackedWidget(this);
    outer->addWidget(stack_);

    live_ = new QWidget(stack_);
    Row live = buildRow(live_);
    shdirs = live.shdirs;
    shdirs->setObjectName(QStringLiteral("shdirs"));
    SpeedButton1 = live.sort;
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    lrgicobut = live.styles[0];
    smallicobut = live.styles[1];
    listbut = live.styles[2];
    detailsbut = live.styles[3];
    displayGroup = new QButtonGroup(this);
    displayGroup->setExclusive(true);
    for (int i = 0; i < 4; ++i) displayGroup->addButton(live.styles[i], i);
    listbut->setChecked(true);
    connect(displayGroup, &QButtonGroup::idClicked, this,
            [this](int id) { emit displayStyleChosen(static_cast<DisplayStyle>(id)); });

    PopupMenu1 = new QMenu(this);
    for (const char* item : {"Name", "Ext", "Size", "Attribs", "Date"})
        PopupMenu1->addAction(QString::fromLatin1(item));
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(QStringLiteral("Reverse"));
    SpeedButton1->setMenu(PopupMenu1);
    SpeedButton1->setPopupMode(QToolButton::InstantPopup);

    maskbox = live.mask;
    maskbox->setObjectName(QStringLiteral("maskbox"));
    maskbox->setEditable(true);
    maskbox->setInsertPolicy(QComboBox::NoInsert);
    maskbox->addItem(QStringLiteral("*.*"));
    maskedit = maskbox->lineEdit();
    maskedit->setObjectName(QStringLiteral("maskedit"));
    maskedit->setText(QStringLiteral("*.*"));
    stack_->addWidget(live_);

    Panel1 = new QWidget(stack_);
    Row copy = buildRow(Panel1);
    copy.styles[2]->setChecked(true);
    copy.mask->addItems(kFilterSamples);
    Panel1->setEnabled(false);
    stack_->addWidget(Panel1);
    stack_->setCurrentWidget(live_);
}

void ViewPanel::showDisabledCopy() {
    stack_->setCurrentWidget(Panel1);
}
void ViewPanel::showLiveControls() {
    stack_->setCurrentWidget(live_);
}
bool ViewPanel::disabledCopyShown() const {
    return stack_->currentWidget() == Panel1;
}

DisplayStyle ViewPanel::displayStyle() const {
    const int id = displayGroup->checkedId();
    return id < 0 ? DisplayStyle::List : static_cast<DisplayStyle>(id);
}

void ViewPanel::setDisplayStyle(DisplayStyle style) {
    if (auto* b = displayGroup->button(static_cast<int>(style))) b->setChecked(true);
}

void ViewPanel::setFilterText(const QString& filter) {
    maskedit->setText(filter);
    QPalette pal = maskedit->palette();
    const bool filtered = filter != QLatin1String("*.*");
    pal.setColor(QPalette::Text, filtered ? QColor(0x80, 0, 0) : palette().color(QPalette::Text));
    maskedit->setPalette(pal);
}

}  // namespace arbel::ui
