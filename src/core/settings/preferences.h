#pragma once

#include "core/settings/launcherchoice.h"
#include "core/settings/serverfilter.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

// Everything the program keeps beyond the twelve settings, in varnholt.conf
// (an INI file beside the settings file): the twelve-line file keeps its
// exact format because older files and other tools read it. Values are held
// for the whole run; a value that is missing or not understood reads as its
// default.
class Preferences : public QObject
{
    Q_OBJECT
public:
    enum Key
    {
        GameLauncher,        // game/launcher
        ParallelRefresh,     // browser/parallel
        RequestsPerSecond,   // browser/requests_per_second
        ShowSilent,          // browser/show_silent
        HideEmpty,           // browser/hide_empty
        HideFull,            // browser/hide_full
        HidePassword,        // browser/hide_password
        GameTypeChoice,      // browser/game_type
        VersionChoice,       // browser/version
        WindowGeometry,      // window/geometry
        IrcTls,              // irc/tls
        IrcCaFile,           // irc/ca_file
        IrcReconnect,        // irc/reconnect
        WatchEnabled,        // watch/enabled
        WatchInterval,       // watch/interval_seconds
        WatchPlayersAtLeast, // watch/players_at_least
        WatchCloseToTray,    // watch/close_to_tray
    };
    static constexpr int keyCount = WatchCloseToTray + 1;

    static constexpr int minRequestsPerSecond = 10;
    static constexpr int maxRequestsPerSecond = 2000;
    static constexpr int minWatchIntervalSeconds = 15;
    static constexpr int maxWatchIntervalSeconds = 3600;

    explicit Preferences(QObject* parent = nullptr);

    // The key as written in the file, e.g. "browser/parallel".
    static QString name(Key key);

    bool flag(Key key) const;
    void setFlag(Key key, bool on);

    LauncherChoice launcher() const;
    void setLauncher(LauncherChoice launcher);
    // Clamped to minRequestsPerSecond..maxRequestsPerSecond.
    int requestsPerSecond() const;
    void setRequestsPerSecond(int rate);
    // The filter choices kept from the last run; an empty choice when none was made.
    ServerFilter serverFilter() const;
    void setServerFilter(const ServerFilter& filter);
    QByteArray windowGeometry() const;
    void setWindowGeometry(const QByteArray& geometry);
    QString ircCaFile() const;
    void setIrcCaFile(const QString& path);
    // Clamped to minWatchIntervalSeconds..maxWatchIntervalSeconds.
    int watchIntervalSeconds() const;
    void setWatchIntervalSeconds(int seconds);
    // At least 1.
    int watchPlayersAtLeast() const;
    // The player's answer to "keep watching in the tray?", or nothing while
    // it was never asked.
    std::optional<bool> closeToTray() const;
    void setCloseToTray(bool keepWatching);

    // Reads the file; a missing file leaves every default.
    void load(const QString& path);
    // Writes every value; on failure returns why, on success an empty string.
    QString save(const QString& path) const;
    // Writes one value and leaves the others in the file as they are (for
    // what the main window keeps by itself, such as its size).
    QString saveValue(const QString& path, Key key) const;

Q_SIGNALS:
    void changed(Preferences::Key key);

private:
    void set(Key key, const QString& text);
    QString write(const QString& path, const QList<Key>& keys) const;
    QString text(Key key) const { return m_values[key]; }
    // The key's number clamped to min..max; the default when not a number.
    int number(Key key, int min, int max) const;

    std::array<QString, keyCount> m_values;
};
