// varnholt-testnet: a master server and game servers on 127.0.0.1.
//
// Prints one line "READY master=<port> servers=<port>,<port>,..." once every
// socket is bound, then (with --log) one "RECV ..." line per datagram. Runs
// until it is sent SIGINT (Ctrl+C) or SIGTERM. Options: --help.
#include "testnetwork.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void printLine(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--help"))) {
        std::fputs(qPrintable(TestScenario::usage()), stdout);
        return 0;
    }
    QString error;
    const std::optional<TestScenario> scenario =
        TestScenario::fromArguments(app.arguments().mid(1), &error);
    if (!scenario) {
        std::fprintf(stderr, "varnholt-testnet: %s\n%s", qPrintable(error),
                     qPrintable(TestScenario::usage()));
        return 2;
    }
    TestNetwork network(*scenario);
    if (!network.start(&error)) {
        std::fprintf(stderr, "varnholt-testnet: %s\n", qPrintable(error));
        return 1;
    }
    if (scenario->log)
        QObject::connect(&network, &TestNetwork::logLine, &network, printLine);
    printLine(network.readyLine());
    return app.exec();
}
