#include "core/browser/rflink.h"
#include "core/platform/allocator.h"
#include "core/platform/singleinstance.h"
#include "core/platform/version.h"
#include "gui/commandline.h"
#include "gui/displaycheck.h"
#include "gui/mainwindow.h"
#include "gui/messageboxprompts.h"

#include <QApplication>

#include <cstdio>
#include <memory>
#include <optional>

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

    // A server to join is checked before anything starts or is handed over;
    // the reason goes to the terminal first, which needs no display.
    std::optional<RfLink> link;
    RfLink::Error linkError = RfLink::Error::None;
    if (!commandLine.join.isEmpty()) {
        link = commandLine.joinIsLink ? RfLink::parse(commandLine.join, &linkError)
                                      : RfLink::parseAddress(commandLine.join, &linkError);
        if (!link) {
            std::fprintf(stderr, "varnholt: %s\n",
                         qPrintable(MessageBoxPrompts::badLinkText(linkError)));
            // Without a display the application object would abort; the
            // terminal has had the reason.
            if (!DisplayCheck::available())
                return CommandLine::usageError;
        }
    }

    Allocator::preferMappedLargeBlocks();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(Version::programName));
    QApplication::setApplicationVersion(QString::fromLatin1(Version::number));
    QApplication::setDesktopFileName(QStringLiteral("varnholt"));
    // The options, users and about windows may still be open when the main
    // window closes; the program ends with the main window all the same.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!commandLine.join.isEmpty() && !link) {
        MessageBoxPrompts(nullptr).reportBadLink(linkError);
        return CommandLine::usageError;
    }

    // A Varnholt already running for this user takes the link, or brings its
    // window to the front for a plain start, and this one ends without
    // touching the files that program uses; otherwise this one opens its
    // window and takes later starts' messages.
    std::unique_ptr<MainWindow> window;
    SingleInstance instance;
    QObject::connect(&instance, &SingleInstance::messageReceived, &app,
                     [&window](const QString& text) {
                         if (window)
                             window->takeHandOver(text);
                     });
    QObject::connect(&instance, &SingleInstance::settled, &app,
                     [&](SingleInstance::Outcome outcome) {
                         if (outcome == SingleInstance::Outcome::HandedOver) {
                             QApplication::quit();
                             return;
                         }
                         window = std::make_unique<MainWindow>();
                         QObject::connect(window.get(), &MainWindow::shutDownComplete, &app,
                                          &QApplication::quit, Qt::QueuedConnection);
                         window->show();
                         if (link)
                             window->openLink(link->text());
                     });
    instance.start(link ? link->text() : MainWindow::raiseMessage());
    return app.exec();
}
