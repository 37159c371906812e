// The least a Qt program can do to show a window: an empty one of the installer window's size.
// tools/bench.sh measures Setup.exe against it.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(626, 618);
    window.show();
    return QApplication::exec();
}
