#include "core/wire/ircformatting.h"

#include <utility>

namespace {
constexpr char16_t colour = 0x03;
constexpr char16_t hexColour = 0x04;
// Bold 0x02, colour 0x03, hex colour 0x04, reset 0x0F, monospace 0x11,
// reverse 0x16, italic 0x1D, strike-through 0x1E, underline 0x1F.
constexpr quint32 codeMask = (1u << 0x02) | (1u << colour) | (1u << hexColour) | (1u << 0x0F) |
                             (1u << 0x11) | (1u << 0x16) | (1u << 0x1D) | (1u << 0x1E) |
                             (1u << 0x1F);

// One comparison for the printable characters almost every line consists of.
bool isCode(char16_t c)
{
    return c < 0x20 && (codeMask & (1u << c)) != 0;
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(char16_t c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Skips a colour's "fg[,bg]": up to `width` digits each; the comma belongs
// to the code only when a digit follows it (a plain "1,5" after a colour
// keeps its comma otherwise).
qsizetype skipColourDigits(const QString& text, qsizetype pos, int width, bool (*digit)(char16_t))
{
    auto skipRun = [&](qsizetype at) {
        int n = 0;
        while (n < width && at < text.size() && digit(text.at(at).unicode())) {
            ++at;
            ++n;
        }
        return std::pair{at, n};
    };
    auto [afterForeground, foreground] = skipRun(pos);
    if (foreground == 0)
        return pos;
    if (afterForeground + 1 < text.size() && text.at(afterForeground) == u',' &&
        digit(text.at(afterForeground + 1).unicode()))
        return skipRun(afterForeground + 1).first;
    return afterForeground;
}
} // namespace

QString stripIrcFormatting(const QString& text)
{
    const char16_t* data = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype size = text.size();
    qsizetype first = 0;
    // Most lines carry no code: find the first one before copying anything.
    while (first < size && !isCode(data[first]))
        ++first;
    if (first == size)
        return text;

    QString plain;
    plain.reserve(size);
    plain.append(text.constData(), first);
    for (qsizetype pos = first; pos < size;) {
        const char16_t c = data[pos++];
        if (!isCode(c)) {
            plain.append(QChar(c));
            continue;
        }
        if (c == colour)
            pos = skipColourDigits(text, pos, 2, isDigit);
        else if (c == hexColour)
            pos = skipColourDigits(text, pos, 6, isHexDigit);
    }
    return plain;
}
