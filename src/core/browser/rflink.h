#pragma once

#include "core/wire/serverendpoint.h"

#include <QString>
#include <QStringView>

#include <optional>

// A link that names a game server to join: rf://HOST:PORT, an optional "/",
// and an optional "?password=" followed by the password. The community
// launchers take the same form with the password as it stands; browsers and
// Windows hand links on %-encoded (a blank as %20), so a link read here is
// decoded first. Links come from anywhere (web pages, chat lines), so the
// reading is strict: a host of ASCII letters, digits, "." and "-", a decimal
// port from 1 to 65535.
struct RfLink
{
    enum class Error
    {
        None,
        UnknownScheme,  // not rf://
        BadHost,        // empty, or a character outside letters, digits, "." and "-"
        BracketedHost,  // an IPv6 address: the game resolves IPv4 only
        MissingPort,    // no ":PORT"
        BadPort,        // not decimal digits
        PortOutOfRange, // 0, or above 65535
        BadRest,        // anything after the port but "/" and "?password=..."
        BadEncoding,    // a '%' not followed by two hex digits, or bytes that are not UTF-8
    };

    // Why a password cannot reach the game intact through a launcher.
    enum class PasswordProblem
    {
        None,
        TooLong,      // over maxPasswordLength characters
        BadCharacter, // '"', '\', a blank or a control character
    };
    // The game's longest password.
    static constexpr int maxPasswordLength = 22;

    ServerEndpoint server;
    // Empty: none.
    QString password;

    // The link as the launchers take it (nothing encoded).
    QString text() const;

    // Decodes %XX sequences after "rf://", then reads the link.
    static std::optional<RfLink> parse(QStringView text, Error* error = nullptr);
    // "HOST:PORT" (as --join takes it), with the host and port rules of a link.
    static std::optional<RfLink> parseAddress(QStringView text, Error* error = nullptr);
    // A host that can stand in a link unchanged.
    static bool isValidHost(QStringView host);
    static PasswordProblem passwordProblem(QStringView password);
};
