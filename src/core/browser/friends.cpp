#include "core/browser/friends.h"

#include "core/platform/atomicfile.h"

#include <QFile>

#include <algorithm>

Friends::Friends(QObject* parent) : QObject(parent) {}

void Friends::load(const QString& path)
{
    m_file = path;
    m_lines.clear();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        m_lines = FriendsFile::parse(file.readAll());
    Q_EMIT changed();
}

QStringList Friends::patterns() const
{
    QStringList patterns;
    for (const FriendsFile::Line& line : m_lines) {
        if (line.pattern && !patterns.contains(*line.pattern, Qt::CaseInsensitive))
            patterns.append(*line.pattern);
    }
    return patterns;
}

bool Friends::containsPattern(const QString& pattern) const
{
    const QString wanted = pattern.trimmed();
    return std::any_of(m_lines.cbegin(), m_lines.cend(), [&](const FriendsFile::Line& line) {
        return line.pattern && line.pattern->compare(wanted, Qt::CaseInsensitive) == 0;
    });
}

QString Friends::add(const QString& pattern)
{
    const std::optional<QString> parsed = FriendsFile::parseLine(pattern);
    if (!parsed || pattern.contains(u'\n') || pattern.contains(u'\r'))
        return QStringLiteral("not a name pattern: \"%1\"").arg(pattern);
    if (containsPattern(*parsed))
        return {};
    QList<FriendsFile::Line> lines = m_lines;
    lines.append({*parsed, parsed});
    return save(lines);
}

QString Friends::remove(const QString& pattern)
{
    if (!containsPattern(pattern))
        return {};
    const QString wanted = pattern.trimmed();
    QList<FriendsFile::Line> lines = m_lines;
    lines.removeIf([&](const FriendsFile::Line& line) {
        return line.pattern && line.pattern->compare(wanted, Qt::CaseInsensitive) == 0;
    });
    return save(lines);
}

bool Friends::matches(const QString& playerName) const
{
    return std::any_of(m_lines.cbegin(), m_lines.cend(), [&](const FriendsFile::Line& line) {
        return line.pattern && FriendsFile::matches(*line.pattern, playerName);
    });
}

QStringList Friends::friendsAmong(const QStringList& playerNames) const
{
    QStringList found;
    for (const QString& name : playerNames) {
        if (matches(name))
            found.append(name);
    }
    return found;
}

QString Friends::save(const QList<FriendsFile::Line>& lines)
{
    if (m_file.isEmpty())
        return QStringLiteral("no friends file is set");
    if (const QString error = AtomicFile::writeListFile(m_file, FriendsFile::format(lines));
        !error.isEmpty())
        return error;
    m_lines = lines;
    Q_EMIT changed();
    return {};
}
