#pragma once

#include <QString>

// A line the user entered in the chat box, as what it asks for: a message to
// the channel, or a command ("/me text", "/msg nick text", "/nick name").
// Pure: the session decides what it sends.
struct ChatInput
{
    enum class Kind
    {
        Message,        // text to the channel
        Action,         // /me: text
        PrivateMessage, // /msg: text to target
        Nickname,       // /nick: text is the nickname
        Usage,          // a known command without what it needs: text is its usage
        Unknown,        // text is the command word as typed
    };

    static ChatInput parse(const QString& typed);

    Kind kind = Kind::Message;
    QString text;
    QString target;
};
