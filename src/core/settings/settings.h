#pragma once

#include "core/platform/registryreader.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

// The twelve settings, held for the whole run. The options dialog edits them
// as the player types; every other part reads a value at the moment of use.
class Settings : public QObject
{
    Q_OBJECT
public:
    // In file order.
    enum Key
    {
        MasterLocalPort,
        QueryLocalPort,
        GameDirectory,
        MasterHost,
        MasterPort,
        IrcHost,
        IrcPort,
        IrcLocalPort,
        IrcUserName,
        IrcNickname,
        IrcEmail,
        IrcChannel,
    };
    static constexpr int keyCount = 12;
    static constexpr int nickMaxLength = 9;

    static constexpr auto defaultMasterServer = "rfgt.factionfiles.com";
    static constexpr auto initialIrcServer = "irc.libera.chat";
    static constexpr auto defaultsIrcServer = "irc.oftc.net";

    explicit Settings(QObject* parent = nullptr);

    // How the player knows the setting, for messages, e.g. "Port 1".
    static QString displayName(Key key);
    // The value a field holds before anything is loaded or typed.
    static QString initialText(Key key);

    QString value(Key key) const { return m_values[key]; }
    // Stores the value as given (the nickname cut to nine characters) and
    // announces a change.
    void setValue(Key key, const QString& value);

    // The port a setting holds, or nothing when it is not a number from 1
    // to 65535 (blanks around the digits are allowed).
    std::optional<quint16> port(Key key) const;
    // "Error: " + advice naming the setting whose port text is not valid.
    static QString invalidPortMessage(Key key);

    // Browser Defaults: the two local ports and the master server.
    void resetBrowserDefaults();
    // IRC Defaults: everything IRC but the e-mail address.
    void resetIrcDefaults();

    // Reads the settings file; a missing file changes nothing. Lines that
    // are missing keep their values, and a game directory that no longer
    // exists keeps the current one, unless the registry names where the
    // game is installed (Windows): then that folder.
    void load(const QString& path, const RegistryReader& registry = RegistryReader::system());
    // Writes all twelve values, replacing the old file only once the new one
    // is complete. On failure returns why; on success an empty string.
    QString save(const QString& path) const;

Q_SIGNALS:
    void changed(Settings::Key key, const QString& value);

private:
    std::array<QString, keyCount> m_values;
};
