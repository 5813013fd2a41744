#include "core/settings/settings.h"

#include "core/platform/atomicfile.h"
#include "core/platform/datapaths.h"
#include "core/platform/installlocations.h"
#include "core/wire/portnumber.h"
#include "core/wire/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// How the player knows each setting, in Key order.
constexpr std::array<const char*, Settings::keyCount> displayNames{{
    "Port 1",
    "Port 2",
    "Red Faction Directory",
    "Master Server IP",
    "Master Server Port",
    "IRC Server",
    "IRC Port",
    "IRC Local Port",
    "Username",
    "Nickname",
    "Email",
    "Room",
}};

} // namespace

Settings::Settings(QObject* parent) : QObject(parent)
{
    for (int key = 0; key < keyCount; ++key)
        m_values[key] = initialText(Key(key));
}

QString Settings::displayName(Key key)
{
    return QString::fromLatin1(displayNames[key]);
}

QString Settings::initialText(Key key)
{
    switch (key) {
    case MasterLocalPort:
        return QStringLiteral("10000");
    case QueryLocalPort:
        return QStringLiteral("10001");
    case GameDirectory:
        return QDir::currentPath();
    case MasterHost:
        return QString::fromLatin1(defaultMasterServer);
    case MasterPort:
        return QStringLiteral("18444");
    case IrcHost:
        return QString::fromLatin1(initialIrcServer);
    case IrcPort:
        return QStringLiteral("6667");
    case IrcLocalPort:
        return QStringLiteral("10002");
    case IrcUserName:
    case IrcNickname:
        return QStringLiteral("Default ");
    case IrcEmail:
        return QStringLiteral("player@example.com");
    case IrcChannel:
        return QStringLiteral("#VNH_Lounge");
    }
    return {};
}

void Settings::setValue(Key key, const QString& value)
{
    const QString stored = key == IrcNickname ? value.left(nickMaxLength) : value;
    if (m_values[key] == stored)
        return;
    m_values[key] = stored;
    Q_EMIT changed(key, stored);
}

std::optional<quint16> Settings::port(Key key) const
{
    return PortNumber::parse(m_values[key]);
}

QString Settings::invalidPortMessage(Key key)
{
    return QStringLiteral("Error: %1 (Options) must be a port number from 1 to 65535")
        .arg(displayName(key));
}

void Settings::resetBrowserDefaults()
{
    for (Key key : {MasterLocalPort, QueryLocalPort, MasterHost, MasterPort})
        setValue(key, initialText(key));
}

void Settings::resetIrcDefaults()
{
    setValue(IrcHost, QString::fromLatin1(defaultsIrcServer));
    setValue(IrcPort, initialText(IrcPort));
    setValue(IrcLocalPort, initialText(IrcLocalPort));
    setValue(IrcUserName, QStringLiteral("Default"));
    setValue(IrcNickname, QStringLiteral("Default"));
    setValue(IrcChannel, initialText(IrcChannel));
}

void Settings::load(const QString& path, const RegistryReader& registry)
{
    bool directoryRead = false;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QStringList values = SettingsFile::parse(file.readAll());
        for (int key = 0; key < keyCount && key < values.size(); ++key) {
            if (key == GameDirectory && !QFileInfo(values[key]).isDir())
                continue;
            directoryRead = directoryRead || key == GameDirectory;
            setValue(Key(key), values[key]);
        }
    }
    // Only a folder the player has not chosen is filled in; it reaches the
    // file when the player saves the options.
    if (!directoryRead) {
        const QString installed = InstallLocations::gameDirectory(registry);
        if (!installed.isEmpty())
            setValue(GameDirectory, installed);
    }
}

QString Settings::save(const QString& path) const
{
    if (!DataPaths::ensureFolderFor(path))
        return QStringLiteral("The folder %1 could not be created.")
            .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    return AtomicFile::write(
        path, SettingsFile::serialize(QStringList(m_values.begin(), m_values.end())));
}
