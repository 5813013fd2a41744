#include "core/wire/ctcpmessage.h"

std::optional<CtcpMessage> CtcpMessage::parse(const QString& text)
{
    if (text.size() < 2 || text.front() != delimiter)
        return std::nullopt;
    qsizetype end = text.size();
    if (text.back() == delimiter)
        --end;
    const QStringView body = QStringView(text).mid(1, end - 1);
    const qsizetype blank = body.indexOf(u' ');
    CtcpMessage message;
    message.command = (blank < 0 ? body : body.left(blank)).toString().toUpper();
    if (message.command.isEmpty())
        return std::nullopt;
    if (blank >= 0)
        message.argument = body.mid(blank + 1).toString();
    return message;
}

QString CtcpMessage::quote(const QString& command, const QString& argument)
{
    QString text = QChar(delimiter) + command;
    if (!argument.isEmpty())
        text += u' ' + argument;
    return text + QChar(delimiter);
}
