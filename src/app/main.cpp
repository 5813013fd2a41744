#include "app/form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnholt"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.1"));
    QApplication::setDesktopFileName(QStringLiteral("varnholt"));

    Form1 window;
    window.show();
    return app.exec();
}
