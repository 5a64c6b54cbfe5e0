#include "ui/frame/about_box.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace arbel::ui {

namespace {

const QColor kTeal(0, 128, 128);

// The picture: a folder with the program's name, drawn so the box needs no file.
QPixmap aboutPicture() {
    QPixmap pix(280, 170);
    pix.fill(kTeal);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath folder;
    folder.moveTo(30, 40);
    folder.lineTo(80, 40);
    folder.lineTo(92, 52);
    folder.lineTo(150, 52);
    folder.lineTo(150, 120);
    folder.lineTo(30, 120);
    folder.closeSubpath();
    p.setPen(QPen(QColor(90, 60, 0), 2));
    p.setBrush(QColor(250, 210, 90));
    p.drawPath(folder);
    p.setBrush(QColor(255, 230, 140));
    p.drawRect(QRectF(30, 62, 120, 58));
    p.setPen(Qt::white);
    QFont title = p.font();
    title.setPointSize(26);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(160, 40, 120, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Arbel"));
    QFont small = p.font();
    small.setPointSize(9);
    small.setBold(false);
    p.setFont(small);
    p.drawText(QRect(160, 88, 120, 40), Qt::AlignLeft | Qt::TextWordWrap, QStringLiteral("a file manager"));
    p.drawText(QRect(0, 140, 280, 24), Qt::AlignCenter, QStringLiteral("click to close"));
    return pix;
}

}  // namespace

AboutBox::AboutBox(QWidget* frame)
    : QWidget(frame, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Tform1"));
    setWindowTitle(QStringLiteral("about Arbel"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kTeal);
    setPalette(pal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(aboutPicture());
    // Presses on the picture reach the box, which closes.
    picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    layout->addWidget(picture);
    adjustSize();
}

AboutBox* AboutBox::open(QWidget* frame) {
    auto* box = new AboutBox(frame);
    const QRect area = frame ? frame->frameGeometry() : QRect();
    if (area.isValid()) box->move(area.center() - QPoint(box->width() / 2, box->height() / 2));
    box->show();
    box->raise();
    box->activateWindow();
    return box;
}

void AboutBox::mousePressEvent(QMouseEvent* event) {
    event->accept();
    close();
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
    // A borderless box must still be closable from the keyboard.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Space) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace arbel::ui
