#include "core/chat/chatinput.h"

ChatInput ChatInput::parse(const QString& typed)
{
    if (!typed.startsWith(u'/'))
        return {Kind::Message, typed, {}};
    const QString command = typed.mid(1);
    const qsizetype blank = command.indexOf(u' ');
    const QString word = command.left(blank);
    const QString rest = blank < 0 ? QString() : command.mid(blank + 1);
    const QString name = word.toLower();
    if (name == QLatin1String("me")) {
        if (rest.isEmpty())
            return {Kind::Usage, QStringLiteral("/me <text>"), {}};
        return {Kind::Action, rest, {}};
    }
    if (name == QLatin1String("msg")) {
        const qsizetype split = rest.indexOf(u' ');
        const QString target = rest.left(split);
        const QString message = split < 0 ? QString() : rest.mid(split + 1);
        if (target.isEmpty() || message.isEmpty())
            return {Kind::Usage, QStringLiteral("/msg <nick> <text>"), {}};
        return {Kind::PrivateMessage, message, target};
    }
    if (name == QLatin1String("nick")) {
        const QString nickname = rest.trimmed();
        if (nickname.isEmpty() || nickname.contains(u' '))
            return {Kind::Usage, QStringLiteral("/nick <new nickname>"), {}};
        return {Kind::Nickname, nickname, {}};
    }
    return {Kind::Unknown, word, {}};
}
