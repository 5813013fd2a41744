#include "core/platform/allocator.h"
#include "core/platform/version.h"
#include "gui/commandline.h"
#include "gui/mainwindow.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Read before the application object exists: --help and --version need
    // no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine commandLine = CommandLine::parse(arguments);
    switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        std::fputs(qPrintable(commandLine.text), stdout);
        return 0;
    case CommandLine::Action::Refuse:
        std::fprintf(stderr, "varnholt: %s (try varnholt --help)\n", qPrintable(commandLine.text));
        return CommandLine::usageError;
    case CommandLine::Action::Run:
        break;
    }

    Allocator::preferMappedLargeBlocks();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(Version::programName));
    QApplication::setApplicationVersion(QString::fromLatin1(Version::number));
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
