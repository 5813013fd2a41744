// The Get List exchange fed a sequence of datagrams from the master server
// over real loopback sockets: every acknowledgement echoes a list part's or
// the list end's four bytes, nothing is acknowledged after the end, and the
// list handed on is every part's servers in order.
#include "core/browser/masterlistclient.h"
#include "core/wire/masterprotocol.h"
#include "fuzzcheck.h"
#include "fuzzloop.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

namespace {

QUdpSocket* master = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    makeFuzzApplication(argc, argv);
    master = new QUdpSocket;
    if (!master->bind(QHostAddress::LocalHost, 0))
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MasterListClient client;
    QList<ServerEndpoint> partServers;
    QList<ServerEndpoint> finishedServers;
    bool ended = false;
    bool failed = false;
    QObject::connect(&client, &MasterListClient::listPartReceived,
                     [&](quint16, const QList<ServerEndpoint>& servers) {
                         FUZZ_CHECK(!ended);
                         FUZZ_CHECK(servers.size() <= MasterProtocol::maxRecordsPerPart);
                         partServers += servers;
                     });
    QObject::connect(&client, &MasterListClient::finished,
                     [&](const QList<ServerEndpoint>& servers) {
                         ended = true;
                         finishedServers = servers;
                     });
    QObject::connect(&client, &MasterListClient::failed, [&] { ended = failed = true; });

    client.start(QStringLiteral("127.0.0.1"), master->localPort(), 0);
    QNetworkDatagram request;
    FUZZ_CHECK(runEventsUntil([&] { return master->hasPendingDatagrams(); }));
    request = master->receiveDatagram();
    FUZZ_CHECK(request.data() == MasterProtocol::listRequest());

    // Datagrams framed by a length byte, then a list end the client takes
    // if the input did not end the run.
    const QByteArray input = fuzzInput(data, size);
    QList<QByteArray> echoes;
    for (qsizetype at = 0; at < input.size();) {
        const qsizetype length = std::min<qsizetype>(quint8(input[at]), input.size() - at - 1);
        const QByteArray datagram = input.mid(at + 1, length);
        at += 1 + length;
        if (const auto parsed = MasterProtocol::parse(datagram))
            echoes.append(parsed->echo);
        master->writeDatagram(datagram, request.senderAddress(), quint16(request.senderPort()));
    }
    const QByteArray lastEcho = "\xfe\xed\xfa\xce";
    echoes.append(lastEcho);
    master->writeDatagram(MasterProtocol::encodeListEnd(lastEcho), request.senderAddress(),
                          quint16(request.senderPort()));
    FUZZ_CHECK(runEventsUntil([&] { return ended; }));

    // What the master got back: acknowledgements of what it sent, each once.
    runEventsUntil([] { return false; }, 1);
    while (master->hasPendingDatagrams()) {
        const QByteArray ack = master->receiveDatagram().data();
        FUZZ_CHECK(ack.size() == 11 && ack.startsWith(QByteArray("\x02\x06\x01\x00", 4)) &&
                   ack.endsWith(QByteArray("\x0a\x00\x00", 3)));
        FUZZ_CHECK(echoes.contains(ack.mid(4, 4)));
    }
    if (!failed)
        FUZZ_CHECK(finishedServers == partServers);
    FUZZ_CHECK(client.state() == MasterListClient::State::Idle);
    return 0;
}
