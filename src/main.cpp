#include "core/platform/allocator.h"
#include "gui/mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    Allocator::preferMappedLargeBlocks();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnholt"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.1"));
    QApplication::setDesktopFileName(QStringLiteral("varnholt"));
    // The options, users and about windows may still be open when the main
    // window closes; the program ends with the main window all the same.
    QApplication::setQuitOnLastWindowClosed(false);

    MainWindow window;
    QObject::connect(&window, &MainWindow::shutDownComplete, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    return app.exec();
}
