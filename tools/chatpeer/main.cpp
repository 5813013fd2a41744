// varnholt-chatpeer: another player in the chat channel, for the demo
// network and the end-to-end test. Everything stays on 127.0.0.1.
//   varnholt-chatpeer --port 6667 [--nick kasia] [--channel #VNH_Lounge]
//                     [--say-every 20] [--record received.txt]
//   varnholt-chatpeer --start-server ...   also runs a private ngIRCd on a
//                                          free port and prints "irc-port N"
// Prints "joined CHANNEL" once in the channel. Ends on SIGTERM or SIGINT,
// or when its standard input is a pipe that its writer closes; a started
// server ends with it.
#include "chatpeer.h"
#include "ngircdserver.h"
#include "stopwatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {
void say(const QString& text)
{
    std::printf("%s\n", qPrintable(text));
    // The starter reads these lines through a pipe while we keep running.
    std::fflush(stdout);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnholt-chatpeer"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A chat peer on an IRC server at 127.0.0.1, for the Varnholt demo."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("IRC server port on 127.0.0.1."),
                                        QStringLiteral("port"));
    const QCommandLineOption startServerOption(
        QStringLiteral("start-server"),
        QStringLiteral("Run a private ngIRCd on a free port of 127.0.0.1 and join it."));
    const QCommandLineOption nickOption(QStringLiteral("nick"), QStringLiteral("Nickname."),
                                        QStringLiteral("nick"), QStringLiteral("kasia"));
    const QCommandLineOption channelOption(
        QStringLiteral("channel"), QStringLiteral("Channel to join."), QStringLiteral("channel"),
        QStringLiteral("#VNH_Lounge"));
    const QCommandLineOption sayEveryOption(QStringLiteral("say-every"),
                                            QStringLiteral("Seconds between its lines."),
                                            QStringLiteral("seconds"), QStringLiteral("20"));
    const QCommandLineOption recordOption(
        QStringLiteral("record"), QStringLiteral("Append every line received to this file."),
        QStringLiteral("file"));
    parser.addOptions(
        {portOption, startServerOption, nickOption, channelOption, sayEveryOption, recordOption});
    parser.process(app);

    ChatPeer::Options options;
    options.nick = parser.value(nickOption);
    options.channel = parser.value(channelOption);
    options.recordPath = parser.value(recordOption);
    bool sayEveryOk = false;
    options.sayEverySeconds = parser.value(sayEveryOption).toInt(&sayEveryOk);
    if (!sayEveryOk || options.sayEverySeconds < 1) {
        std::fprintf(stderr, "--say-every needs a whole number of seconds, 1 or more\n");
        return 2;
    }

    std::unique_ptr<NgircdServer> server;
    if (parser.isSet(startServerOption)) {
        if (!NgircdServer::isInstalled()) {
            std::fprintf(stderr, "%s\n", NgircdServer::notInstalledMessage);
            return 1;
        }
        server = std::make_unique<NgircdServer>();
        if (!server->start()) {
            std::fprintf(stderr, "ngircd: %s\n", qPrintable(server->errorString()));
            return 1;
        }
        options.port = server->port();
        say(QStringLiteral("irc-port %1").arg(options.port));
    } else {
        const uint port = parser.value(portOption).toUInt();
        if (port == 0 || port > 65535) {
            std::fprintf(stderr, "give --port 1..65535 or --start-server\n");
            return 2;
        }
        options.port = static_cast<quint16>(port);
    }

    ChatPeer peer(options);
    StopWatcher stop;
    QObject::connect(&stop, &StopWatcher::stopRequested, &app, [] { QCoreApplication::exit(0); });
    QObject::connect(&peer, &ChatPeer::joined, &app,
                     [&] { say(QStringLiteral("joined %1").arg(options.channel)); });
    QObject::connect(&peer, &ChatPeer::lost, &app, [](const QString& reason) {
        std::fprintf(stderr, "chat peer: %s\n", qPrintable(reason));
        QCoreApplication::exit(1);
    });
    if (!peer.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(peer.errorString()));
        return 1;
    }
    return app.exec();
}
