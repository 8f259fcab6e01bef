// The toolkit's floor: the least a Qt Widgets program does to put a label
// window on screen. Start-up figures are compared with it.
#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("2026年12月6日(日)"));
    label.setWindowTitle(QStringLiteral("floor"));
    label.show();
    return app.exec();
}
