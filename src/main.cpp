#include "core/app/application.h"
#include "core/browser/rflink.h"
#include "core/platform/allocator.h"
#include "core/platform/console.h"
#include "core/platform/linkregistration.h"
#include "core/platform/singleinstance.h"
#include "core/platform/version.h"
#include "gui/commandline.h"
#include "gui/displaycheck.h"
#include "gui/mainwindow.h"
#include "gui/messageboxprompts.h"
#include "gui/palette.h"

#include <QApplication>
#include <QMessageBox>
#include <QSslSocket>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

// A command-line answer: on the console the program was started from, or
// (a window program on Windows started from Explorer) in a message box.
int answer(int argc, char* argv[], bool onConsole, const QString& text, int status)
{
    if (onConsole) {
        std::fputs(qPrintable(text), status == 0 ? stdout : stderr);
        return status;
    }
    QApplication app(argc, argv);
    QMessageBox box(status == 0 ? QMessageBox::Information : QMessageBox::Warning,
                    QString::fromLatin1(Version::programName), text.trimmed());
    box.exec();
    return status;
}

// Writes or removes this program's rf:// key.
int changeLinkRegistration(bool registering, QString* text)
{
    LinkRegistration registration(QCoreApplication::applicationFilePath());
    QString error;
    if (!LinkRegistration::isSupported()) {
        *text = QStringLiteral("varnholt: rf:// links are registered on Windows only\n");
        return 1;
    }
    if (!(registering ? registration.registerLinks(&error)
                      : registration.unregisterLinks(&error))) {
        *text = QStringLiteral("varnholt: %1\n").arg(error);
        return 1;
    }
    *text = registering ? QStringLiteral("rf:// links now open with Varnholt.\n")
                        : QStringLiteral("rf:// links no longer open with Varnholt.\n");
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    // A window program on Windows has no console: its answers go to the one
    // it was started from, if any.
    const bool onConsole = Console::attachToParent();
    // Read before the application object exists: --help and --version need
    // no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine commandLine = CommandLine::parse(arguments);
    switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        return answer(argc, argv, onConsole, commandLine.text, 0);
    case CommandLine::Action::Refuse:
        return answer(argc, argv, onConsole,
                      QStringLiteral("varnholt: %1 (try varnholt --help)\n").arg(commandLine.text),
                      CommandLine::usageError);
    case CommandLine::Action::RegisterLinks:
    case CommandLine::Action::UnregisterLinks: {
        // applicationFilePath() needs the application object, not a display.
        QCoreApplication core(argc, argv);
        QString text;
        const int status =
            changeLinkRegistration(commandLine.action == CommandLine::Action::RegisterLinks, &text);
        // The installer runs these without a console: it needs no message.
        std::fputs(qPrintable(text), status == 0 ? stdout : stderr);
        return status;
    }
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
#ifdef Q_OS_WIN
    // The chat's TLS through the backend shipped beside the program, never an
    // OpenSSL that happens to be on the player's PATH.
    QSslSocket::setActiveBackend(QStringLiteral("schannel"));
#endif
    Palette::chooseStyle();
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
    // window and takes later starts' messages. The application is made before
    // the window and goes after it; it touches no file before start-up.
    Application application;
    std::unique_ptr<MainWindow> window;
    SingleInstance* instance = application.singleInstance();
    QObject::connect(instance, &SingleInstance::messageReceived, &app,
                     [&window](const QString& text) {
                         if (window)
                             window->takeHandOver(text);
                     });
    QObject::connect(instance, &SingleInstance::settled, &app,
                     [&](SingleInstance::Outcome outcome) {
                         if (outcome == SingleInstance::Outcome::HandedOver) {
                             QApplication::quit();
                             return;
                         }
                         window = std::make_unique<MainWindow>(&application);
                         QObject::connect(window.get(), &MainWindow::shutDownComplete, &app,
                                          &QApplication::quit, Qt::QueuedConnection);
                         window->show();
                         if (link)
                             window->openLink(link->text());
                     });
    instance->start(link ? link->text() : MainWindow::raiseMessage());
    return app.exec();
}
