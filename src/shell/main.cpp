#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lexiclash"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Lexiclash"));
    window.resize(790, 525);
    window.show();
    return app.exec();
}
