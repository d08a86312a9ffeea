// The reference of the start-up benchmark: a bare Qt window with the main window's title.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Norvane USB-Stick Internetupdate Tool 2.0"));
    window.show();
    return QApplication::exec();
}
