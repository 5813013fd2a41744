// What an IRC server sends, handled by the chat session over a real
// loopback connection: whatever arrives, every line the session sends back
// is one line (CR LF at its end, no CR, LF or NUL inside), and no line it
// reports holds a line break.
#include "core/app/application.h"
#include "core/chat/chatsession.h"
#include "core/settings/preferences.h"
#include "core/settings/settings.h"
#include "fuzzcheck.h"
#include "fuzzloop.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {

QTcpServer* server = nullptr;

void checkSentLines(const QByteArray& sent)
{
    qsizetype start = 0;
    while (start < sent.size()) {
        const qsizetype end = sent.indexOf("\r\n", start);
        FUZZ_CHECK(end >= 0);
        const QByteArray line = sent.mid(start, end - start);
        FUZZ_CHECK(!line.contains('\r') && !line.contains('\n') && !line.contains('\0'));
        start = end + 2;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    makeFuzzApplication(argc, argv);
    server = new QTcpServer;
    if (!server->listen(QHostAddress::LocalHost, 0))
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Settings settings;
    settings.setValue(Settings::IrcHost, QStringLiteral("127.0.0.1"));
    settings.setValue(Settings::IrcPort, QString::number(server->serverPort()));
    settings.setValue(Settings::IrcNickname, QStringLiteral("vnh"));
    settings.setValue(Settings::IrcChannel, QStringLiteral("#VNH_Lounge"));
    Preferences preferences;
    preferences.setFlag(Preferences::IrcReconnect, false);
    ChatSession session([&] { return Application::chatSettings(settings, preferences); });
    QObject::connect(&session, &ChatSession::received, [](const QList<ReceivedItem>& items) {
        for (const ReceivedItem& item : items)
            FUZZ_CHECK(!item.line.text.contains(u'\r') && !item.line.text.contains(u'\n'));
    });

    session.connectToServer();
    FUZZ_CHECK(runEventsUntil([] { return server->hasPendingConnections(); }));
    QTcpSocket* peer = server->nextPendingConnection();
    QByteArray sent;
    const auto take = [&] {
        sent += peer->readAll();
        return true;
    };
    FUZZ_CHECK(runEventsUntil([&] { return take() && sent.count("\r\n") >= 2; })); // NICK, USER

    // The input, then a PING the session answers once it has read it all
    // (unless the input made it leave).
    peer->write(fuzzInput(data, size) + "\r\nPING :fuzz-end\r\n");
    runEventsUntil([&] {
        return (take() && sent.contains("PONG :fuzz-end\r\n")) ||
               peer->state() != QTcpSocket::ConnectedState ||
               session.state() == ChatSession::State::Disconnected;
    });
    checkSentLines(sent);
    session.close();
    delete peer;
    return 0;
}
