#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Arbel");
    QMainWindow frame;
    frame.setWindowTitle("Arbel for Windows");
    frame.showMaximized();
    return app.exec();
}
