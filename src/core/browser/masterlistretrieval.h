#pragma once

#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

class Settings;
class Socket;
struct MasterDatagram;

// Get List: asks the master server for the running game servers on `wsrf`,
// acknowledges every list part and the list end, and writes the listed
// servers to the address cache file as they arrive.
//
// A retrieval runs from start() until the list end has been handled, the
// master server has been silent for the silence time-out, the socket
// reports an error, or stop() is called. Get List should be enabled exactly
// while isRunning() is false; the file is open for writing only meanwhile.
class MasterListRetrieval : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultSilenceTimeoutMs = 10000;
    static constexpr int maxDatagramSize = 4096;

    MasterListRetrieval(Socket* wsrf, const Settings* settings, QObject* parent = nullptr);

    // The Get List click. Reads the settings now; refuses invalid port
    // settings before anything is touched. A running retrieval starts over.
    void start();
    // Ends a retrieval without a result (shut-down): closes the file and the
    // socket. Harmless when idle.
    void stop();
    bool isRunning() const { return m_running; }

    // How long the master server may stay silent after the request or its
    // last datagram before the retrieval gives up.
    void setSilenceTimeout(int ms) { m_silenceTimer.setInterval(ms); }
    int silenceTimeout() const { return m_silenceTimer.interval(); }

Q_SIGNALS:
    void statusChanged(const QString& text);
    void runningChanged(bool running);
    // The list end has been handled and the file is closed: time to query.
    void listComplete();

private:
    void onDataArrival();
    void onSocketError(const QString& description);
    void onSilence();
    bool isFromMaster() const;
    void handleListPart(const MasterDatagram& part);
    void handleListEnd(const MasterDatagram& end);
    void finish();
    void setRunning(bool running);

    Socket* m_wsrf;
    const Settings* m_settings;
    QFile m_file;
    QTimer m_silenceTimer;
    bool m_running = false;
};
