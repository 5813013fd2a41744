#include "core/settings/preferences.h"

#include "core/platform/datapaths.h"
#include "core/settings/choicewords.h"

#include <QSettings>

#include <algorithm>

namespace {

struct KeyInfo
{
    const char* name;
    const char* defaultText;
};

constexpr std::array<KeyInfo, Preferences::keyCount> keyInfo{{
    {"game/launcher", "auto"},
    {"browser/parallel", "false"},
    {"browser/requests_per_second", "250"},
    {"browser/show_silent", "false"},
    {"browser/hide_empty", "false"},
    {"browser/hide_full", "false"},
    {"browser/hide_password", "false"},
    {"browser/game_type", ""},
    {"browser/version", ""},
    {"window/geometry", ""},
    {"irc/tls", "false"},
    {"irc/ca_file", ""},
    {"irc/reconnect", "true"},
    {"watch/enabled", "false"},
    {"watch/interval_seconds", "60"},
    {"watch/players_at_least", "2"},
    {"watch/close_to_tray", ""},
}};

constexpr ChoiceWord<LauncherChoice> launcherWords[] = {
    {LauncherChoice::Automatic, "auto"},
    {LauncherChoice::RedFaction, "rf"},
    {LauncherChoice::DashFaction, "dashfaction"},
    {LauncherChoice::AlpineFaction, "alpinefaction"},
};

// The file keeps texts; QSettings writes a QByteArray in a form of its own.
QVariant fileValue(Preferences::Key key, const QString& text)
{
    if (key == Preferences::WindowGeometry)
        return QByteArray::fromBase64(text.toLatin1());
    return text;
}

QString textOf(Preferences::Key key, const QVariant& value)
{
    if (key == Preferences::WindowGeometry)
        return QString::fromLatin1(value.toByteArray().toBase64());
    return value.toString();
}

} // namespace

Preferences::Preferences(QObject* parent) : QObject(parent)
{
    for (int key = 0; key < keyCount; ++key)
        m_values[key] = QString::fromLatin1(keyInfo[key].defaultText);
}

QString Preferences::name(Key key)
{
    return QString::fromLatin1(keyInfo[key].name);
}

void Preferences::set(Key key, const QString& text)
{
    if (m_values[key] == text)
        return;
    m_values[key] = text;
    Q_EMIT changed(key);
}

bool Preferences::flag(Key key) const
{
    const QString value = text(key).trimmed().toLower();
    if (value == QLatin1String("true") || value == QLatin1String("1"))
        return true;
    if (value == QLatin1String("false") || value == QLatin1String("0"))
        return false;
    return QLatin1String(keyInfo[key].defaultText) == QLatin1String("true");
}

void Preferences::setFlag(Key key, bool on)
{
    set(key, on ? QStringLiteral("true") : QStringLiteral("false"));
}

LauncherChoice Preferences::launcher() const
{
    return choiceNamed(launcherWords, text(GameLauncher).trimmed(), Qt::CaseInsensitive)
        .value_or(LauncherChoice::Automatic);
}

void Preferences::setLauncher(LauncherChoice launcher)
{
    set(GameLauncher, wordFor(launcherWords, launcher));
}

int Preferences::number(Key key, int min, int max) const
{
    bool ok = false;
    const int value = text(key).trimmed().toInt(&ok);
    if (!ok)
        return QString::fromLatin1(keyInfo[key].defaultText).toInt();
    return std::clamp(value, min, max);
}

int Preferences::requestsPerSecond() const
{
    return number(RequestsPerSecond, minRequestsPerSecond, maxRequestsPerSecond);
}

void Preferences::setRequestsPerSecond(int rate)
{
    set(RequestsPerSecond,
        QString::number(std::clamp(rate, minRequestsPerSecond, maxRequestsPerSecond)));
}

ServerFilter Preferences::serverFilter() const
{
    return {gameTypeFilterNamed(text(GameTypeChoice).trimmed(), Qt::CaseInsensitive),
            versionFilterNamed(text(VersionChoice).trimmed(), Qt::CaseInsensitive)};
}

void Preferences::setServerFilter(const ServerFilter& filter)
{
    set(GameTypeChoice, filter.gameType ? filterWord(*filter.gameType) : QString());
    set(VersionChoice, filter.version ? filterWord(*filter.version) : QString());
}

QByteArray Preferences::windowGeometry() const
{
    return fileValue(WindowGeometry, text(WindowGeometry)).toByteArray();
}

void Preferences::setWindowGeometry(const QByteArray& geometry)
{
    set(WindowGeometry, textOf(WindowGeometry, geometry));
}

QString Preferences::ircCaFile() const
{
    return text(IrcCaFile);
}

void Preferences::setIrcCaFile(const QString& path)
{
    set(IrcCaFile, path);
}

int Preferences::watchIntervalSeconds() const
{
    return number(WatchInterval, minWatchIntervalSeconds, maxWatchIntervalSeconds);
}

void Preferences::setWatchIntervalSeconds(int seconds)
{
    set(WatchInterval,
        QString::number(std::clamp(seconds, minWatchIntervalSeconds, maxWatchIntervalSeconds)));
}

int Preferences::watchPlayersAtLeast() const
{
    return number(WatchPlayersAtLeast, 1, 255);
}

std::optional<bool> Preferences::closeToTray() const
{
    if (text(WatchCloseToTray).trimmed().isEmpty())
        return std::nullopt;
    return flag(WatchCloseToTray);
}

void Preferences::setCloseToTray(bool keepWatching)
{
    setFlag(WatchCloseToTray, keepWatching);
}

void Preferences::load(const QString& path)
{
    const QSettings file(path, QSettings::IniFormat);
    for (int key = 0; key < keyCount; ++key) {
        const QVariant value = file.value(name(Key(key)));
        if (value.isValid())
            set(Key(key), textOf(Key(key), value));
    }
}

QString Preferences::save(const QString& path) const
{
    QList<Key> keys;
    for (int key = 0; key < keyCount; ++key)
        keys.append(Key(key));
    return write(path, keys);
}

QString Preferences::saveValue(const QString& path, Key key) const
{
    return write(path, {key});
}

QString Preferences::write(const QString& path, const QList<Key>& keys) const
{
    if (!DataPaths::ensureFolderFor(path))
        return QStringLiteral("The folder for %1 could not be created.").arg(path);
    // QSettings replaces the file only once the new one is complete.
    QSettings file(path, QSettings::IniFormat);
    for (const Key key : keys)
        file.setValue(name(key), fileValue(key, text(key)));
    file.sync();
    switch (file.status()) {
    case QSettings::NoError:
        return {};
    case QSettings::AccessError:
        return QStringLiteral("%1 could not be written.").arg(path);
    case QSettings::FormatError:
        return QStringLiteral("%1 is not a settings file this program can rewrite.").arg(path);
    }
    return {};
}
