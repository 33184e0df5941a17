// The yardstick of the program's start and memory: an empty Qt Widgets
// program that shows one window. Prints when its window was first painted
// and its resident memory then, and ends.
#include "bench/probe.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    tabel::bench::FirstPaint probe;
    app.installEventFilter(&probe);
    QWidget window;
    window.resize(320, 200);
    window.show();
    return app.exec();
}
