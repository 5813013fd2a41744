#pragma once

#include <QString>

#include <optional>

// A client-to-client request or reply carried in a PRIVMSG or NOTICE text:
// "\x01COMMAND argument\x01" (ACTION for "/me", VERSION, PING, ...).
class CtcpMessage
{
public:
    static constexpr char16_t delimiter = 0x01;

    // The message a text carries, or none when it is ordinary text. The
    // closing delimiter is optional (some clients leave it off); the
    // command is upper-cased.
    static std::optional<CtcpMessage> parse(const QString& text);
    // The text that carries command and argument.
    static QString quote(const QString& command, const QString& argument);

    QString command;
    QString argument;
};
