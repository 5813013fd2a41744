#include "testscriptstep.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// "250ms", "5s", "1.5s".
std::optional<int> parseTime(const QString& text)
{
    bool ok = false;
    double value = 0;
    if (text.endsWith(QLatin1String("ms")))
        value = text.chopped(2).toDouble(&ok);
    else if (text.endsWith(u's'))
        value = text.chopped(1).toDouble(&ok) * 1000;
    if (!ok || value < 0 || value > 86400000)
        return std::nullopt;
    return int(value);
}

} // namespace

std::optional<TestScriptStep> TestScriptStep::parse(const QByteArray& text,
                                                    const QList<TestServerProfile>& servers,
                                                    QString* error)
{
    // TIME ACTION ["SERVER NAME" [VALUE]]
    static const QRegularExpression shape(
        QStringLiteral(R"re(^\s*(\S+)\s+(\w+)(?:\s+"([^"]*)"(?:\s+(.*\S))?)?\s*$)re"));
    const QRegularExpressionMatch match = shape.match(QString::fromLatin1(text));
    if (!match.hasMatch()) {
        *error = QStringLiteral("a script line is @ TIME ACTION [\"SERVER\" [VALUE]]");
        return std::nullopt;
    }
    TestScriptStep step;
    const std::optional<int> at = parseTime(match.captured(1));
    if (!at) {
        *error = QStringLiteral("a time is like 500ms or 5s");
        return std::nullopt;
    }
    step.atMs = *at;
    const QString action = match.captured(2);
    const bool needsValue = action == QLatin1String("join") || action == QLatin1String("leave") ||
                            action == QLatin1String("map");
    if (action == QLatin1String("repeat")) {
        step.action = Action::Repeat;
        if (match.hasCaptured(3) || step.atMs == 0) {
            *error = QStringLiteral("repeat takes a time above 0 and nothing else");
            return std::nullopt;
        }
        return step;
    }
    if (action == QLatin1String("join"))
        step.action = Action::Join;
    else if (action == QLatin1String("leave"))
        step.action = Action::Leave;
    else if (action == QLatin1String("map"))
        step.action = Action::Map;
    else if (action == QLatin1String("silent"))
        step.action = Action::Silent;
    else if (action == QLatin1String("back"))
        step.action = Action::Back;
    else {
        *error = QStringLiteral("unknown action %1").arg(action);
        return std::nullopt;
    }
    const QByteArray name = match.captured(3).toLatin1();
    for (qsizetype i = 0; i < servers.size() && step.server < 0; ++i) {
        if (servers[i].info.name == name)
            step.server = int(i);
    }
    if (step.server < 0) {
        *error = QStringLiteral("no server \"%1\" above this line").arg(match.captured(3));
        return std::nullopt;
    }
    step.value = match.captured(4).toLatin1();
    if (needsValue == step.value.isEmpty()) {
        *error = needsValue ? QStringLiteral("%1 needs a name after the server").arg(action)
                            : QStringLiteral("%1 takes only the server").arg(action);
        return std::nullopt;
    }
    return step;
}

void TestScriptStep::applyTo(TestServerProfile& profile) const
{
    switch (action) {
    case Action::Join: {
        if (!profile.players)
            profile.players = PlayerList{};
        PlayerList::Player player;
        player.name = value;
        profile.players->players.append(player);
        profile.info.players = quint8(qMin(255, profile.info.players + 1));
        break;
    }
    case Action::Leave: {
        if (!profile.players)
            break;
        QList<PlayerList::Player>& players = profile.players->players;
        const auto found = std::find_if(players.begin(), players.end(), [this](const auto& player) {
            return player.name == value;
        });
        if (found == players.end())
            break;
        players.erase(found);
        profile.info.players = quint8(qMax(0, profile.info.players - 1));
        break;
    }
    case Action::Silent:
        profile.silent = true;
        break;
    case Action::Back:
        profile.silent = false;
        break;
    case Action::Map:
        profile.info.map = value;
        break;
    case Action::Repeat:
        break;
    }
}
