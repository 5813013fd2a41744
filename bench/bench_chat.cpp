// Feeds 100,000 received IRC lines, cut into chunks of random sizes, through
// the chat's receive handler, the chat log's formatter and widget, and prints lines per
// second, the cost of the last 1,000 lines against the first 1,000, and the
// peak memory. Run: QT_QPA_PLATFORM=offscreen bench_chat [lines]
#include "core/app/application.h"
#include "core/chat/chatsession.h"
#include "core/platform/allocator.h"
#include "core/settings/preferences.h"
#include "core/settings/settings.h"
#include "gui/chatformatter.h"
#include "gui/chatlogview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextBlock>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int windowLines = 1000;
constexpr int maxChunk = 4096;
constexpr int runs = 5;

struct RunFigures
{
    double linesPerSecond = 0;
    double firstMicrosPerLine = 0;
    double lastMicrosPerLine = 0;
    // Lines in the log, however its blocks hold them.
    int lines = 0;
};

// Chat, joins and parts, PINGs and whole names batches, in a fixed mix,
// each line ended by CR LF. Written straight into one array: a list of the
// lines would leave the heap larger than the chat's log itself.
QByteArray trafficStream(int count, QRandomGenerator& random)
{
    QByteArray stream;
    stream.reserve(qsizetype(count) * 128);
    int lines = 0;
    auto add = [&](const QByteArray& line) {
        if (lines < count) {
            stream += line + "\r\n";
            ++lines;
        }
    };
    while (lines < count) {
        const QByteArray nick = "user" + QByteArray::number(random.bounded(500));
        const int kind = random.bounded(100);
        if (kind < 75) {
            const QByteArray text(random.bounded(10, 200), 'a' + char(random.bounded(26)));
            add(":" + nick + "!u@host.example PRIVMSG #VNH_Lounge :" + text + " see http://x/" +
                QByteArray::number(lines));
        } else if (kind < 85) {
            add(":" + nick + "!u@host.example JOIN :#VNH_Lounge");
        } else if (kind < 92) {
            add("PING :irc.bench." + QByteArray::number(lines));
        } else {
            for (int part = 0; part < 3; ++part) {
                QByteArray names = ":irc.bench 353 vnh = #VNH_Lounge :";
                for (int n = 0; n < 40; ++n)
                    names += "@nick" + QByteArray::number(part * 40 + n) + ' ';
                add(names);
            }
            add(":irc.bench 366 vnh #VNH_Lounge :End of NAMES list");
        }
    }
    return stream;
}

// One pass over the stream into a fresh chat log. The two windows are timed
// with the log written out and painted at their ends, so the widget's share
// of their lines is in the figures.
RunFigures feed(QApplication& app, ChatSession& session, const QByteArray& stream, int total,
                QRandomGenerator& random)
{
    ChatLogView log;
    log.resize(625, 185);
    log.show();
    ChatFormatter formatter;
    formatter.follow(&session);
    QObject::connect(&formatter, &ChatFormatter::logReplaced, &log, &ChatLogView::replaceText);
    QObject::connect(&formatter, &ChatFormatter::logAppended, &log, &ChatLogView::appendText);
    app.processEvents();

    auto settle = [&] {
        log.flushPending();
        app.processEvents();
    };
    qint64 firstNs = 0;
    int firstLines = 0, lastStart = -1, linesDone = 0;
    QElapsedTimer all, window;
    all.start();
    window.start();
    for (qsizetype at = 0; at < stream.size();) {
        if (lastStart < 0 && firstLines > 0 && linesDone >= total - windowLines) {
            settle();
            lastStart = linesDone;
            window.start();
        }
        const qsizetype size = qMin<qsizetype>(random.bounded(1, maxChunk + 1), stream.size() - at);
        const QByteArray chunk = stream.mid(at, size);
        at += size;
        session.receive(chunk);
        app.processEvents(); // timers, painting and scrolling as in the window
        linesDone += int(chunk.count('\n'));
        if (firstLines == 0 && linesDone >= windowLines) {
            settle();
            firstNs = window.nsecsElapsed();
            firstLines = linesDone;
        }
    }
    settle();
    const qint64 lastNs = window.nsecsElapsed();
    RunFigures figures;
    figures.linesPerSecond = linesDone / (all.nsecsElapsed() / 1e9);
    figures.firstMicrosPerLine = firstNs / 1e3 / firstLines;
    figures.lastMicrosPerLine = lastNs / 1e3 / (linesDone - lastStart);
    for (QTextBlock block = log.document()->begin(); block.isValid(); block = block.next())
        figures.lines += int(block.text().count(QChar::LineSeparator)) + 1;
    return figures;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Allocator::preferMappedLargeBlocks(); // as the program does
    QApplication app(argc, argv);
    const int total = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    if (total < 2 * windowLines)
        return 2;

    // A loopback sink that welcomes the session, so it is really connected
    // and its PONGs go out.
    QTcpServer sink;
    if (!sink.listen(QHostAddress::LocalHost, 0))
        return 1;
    QTcpSocket* sinkSide = nullptr;
    QObject::connect(&sink, &QTcpServer::newConnection, [&] {
        sinkSide = sink.nextPendingConnection();
        sinkSide->write(":irc.bench 001 vnh :Welcome\r\n");
        QObject::connect(sinkSide, &QTcpSocket::readyRead, [&] { sinkSide->readAll(); });
    });

    Settings settings;
    settings.setValue(Settings::IrcHost, QStringLiteral("127.0.0.1"));
    settings.setValue(Settings::IrcPort, QString::number(sink.serverPort()));
    settings.setValue(Settings::IrcNickname, QStringLiteral("vnh"));
    settings.setValue(Settings::IrcChannel, QStringLiteral("#VNH_Lounge"));
    Preferences preferences;
    ChatSession session([&] { return Application::chatSettings(settings, preferences); });
    session.connectToServer();
    QElapsedTimer wait;
    wait.start();
    while (!session.isConnected() && wait.elapsed() < 5000)
        app.processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (!session.isConnected()) {
        std::fprintf(stderr, "could not connect to the loopback sink\n");
        return 1;
    }

    QRandomGenerator random(20030);
    const QByteArray stream = trafficStream(total, random);

    QList<double> rates, firsts, lasts, ratios;
    for (int run = 0; run < runs; ++run) {
        const RunFigures figures = feed(app, session, stream, total, random);
        std::printf("run %d: %.0f lines/s, first %d: %.2f us/line, last %d: %.2f us/line, "
                    "%d log lines\n",
                    run + 1, figures.linesPerSecond, windowLines, figures.firstMicrosPerLine,
                    windowLines, figures.lastMicrosPerLine, figures.lines);
        rates.append(figures.linesPerSecond);
        firsts.append(figures.firstMicrosPerLine);
        lasts.append(figures.lastMicrosPerLine);
        ratios.append(figures.lastMicrosPerLine / figures.firstMicrosPerLine);
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("median of %d runs of %d lines: %.0f lines/s; first %d lines %.2f us/line, "
                "last %d %.2f us/line, last/first %.2f\n",
                runs, total, median(rates), windowLines, median(firsts), windowLines, median(lasts),
                median(ratios));
    std::printf("peak memory: %.1f MiB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
