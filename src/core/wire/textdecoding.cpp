#include "core/wire/textdecoding.h"

#include <QStringDecoder>

QString decodeUtf8OrLatin1(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

QByteArray encodeUtf8(const QString& text)
{
    if (text.startsWith(QChar(0xFEFF)))
        return "\xEF\xBB\xBF" + text.toUtf8();
    return text.toUtf8();
}
