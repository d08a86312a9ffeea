// The reference of the start-up benchmark: a bare Qt window with the main window's title.
// Given a text, the window shows it in one label: the least any window with text costs,
// as its fonts are then set up before the window is mapped.
//
//   bench_bare_window [text]
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Norvane USB-Stick Internetupdate Tool 2.0"));
    if (argc > 1)
        (new QVBoxLayout(&window))->addWidget(new QLabel(QString::fromLocal8Bit(argv[1])));
    window.show();
    return QApplication::exec();
}
