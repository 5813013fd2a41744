#include "core/platform/stopsignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

class TestStopSignals : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void signalBecomesStopRequested_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
    }
    void signalBecomesStopRequested()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows has no signals to raise here; the console handler takes Ctrl+C");
#else
        QFETCH(int, signal);
        StopSignals stop;
        QVERIFY(stop.install());
        StopSignals second;
        QVERIFY(!second.install()); // one at a time
        QSignalSpy requested(&stop, &StopSignals::stopRequested);
        // Twice before the loop runs: still a request, and the process lives.
        std::raise(signal);
        std::raise(signal);
        QVERIFY(requested.wait(5000));
#endif
    }
};

QTEST_GUILESS_MAIN(TestStopSignals)
#include "tst_stopsignals.moc"
