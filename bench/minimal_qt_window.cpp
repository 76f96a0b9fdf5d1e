// The peer of bench_start: the least a Qt Widgets program does to show a window. It is built on its own
// and linked with Qt Widgets only, so that its start is what any such program pays before its first
// paint.

#include <QApplication>
#include <QColor>
#include <QMainWindow>
#include <QPalette>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    // A colour that bench_start's screen test counts, as it counts the start page's pictures.
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(40, 120, 220));
    window.setPalette(palette);
    window.resize(1024, 768);
    window.show();
    return app.exec();
}
