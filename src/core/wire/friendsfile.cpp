#include "core/wire/friendsfile.h"

#include "core/wire/keptlines.h"

namespace FriendsFile {

std::optional<QString> parseLine(const QString& line)
{
    const QString pattern = line.trimmed();
    if (pattern.isEmpty() || pattern.startsWith(u'#'))
        return std::nullopt;
    return pattern;
}

QList<Line> parse(const QByteArray& fileText)
{
    return KeptLines::parse<Line>(fileText, parseLine);
}

QByteArray format(const QList<Line>& lines)
{
    return KeptLines::format(lines);
}

bool matches(QStringView pattern, QStringView name)
{
    // Greedy with one step back to the last "*": linear in practice, never
    // exponential on patterns such as "*a*a*a*b".
    qsizetype p = 0, n = 0;
    qsizetype starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace FriendsFile
