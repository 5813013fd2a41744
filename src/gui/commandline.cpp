#include "gui/commandline.h"

#include "core/platform/version.h"

#include <QCommandLineParser>
#include <QRegularExpression>

CommandLine CommandLine::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Server browser and chat for Red Faction players: lists the running game servers, "
        "starts the game on the one you pick, and carries the community's IRC channel."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and exits."));
    const QCommandLineOption join(QStringLiteral("join"),
                                  QStringLiteral("Asks the server at HOST:PORT and offers to "
                                                 "join it."),
                                  QStringLiteral("HOST:PORT"));
    const QCommandLineOption registerLinks(
        QStringLiteral("register-links"),
        QStringLiteral("Windows: makes rf:// links open with this Varnholt, then exits."));
    const QCommandLineOption unregisterLinks(
        QStringLiteral("unregister-links"),
        QStringLiteral("Windows: rf:// links no longer open with Varnholt, then exits."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(join);
    parser.addOption(registerLinks);
    parser.addOption(unregisterLinks);
    parser.addPositionalArgument(
        QStringLiteral("link"),
        QStringLiteral("An rf://HOST:PORT link (with ?password=... for a password server): "
                       "asks that server and offers to join it. A running Varnholt takes it "
                       "over."),
        QStringLiteral("[rf://HOST:PORT]"));

    CommandLine line;
    const QString program = QStringLiteral("varnholt");
    if (!parser.parse(arguments)) {
        line.action = Action::Refuse;
        line.text = parser.errorText();
        return line;
    }
    if (parser.isSet(help)) {
        line.action = Action::ShowHelp;
        // helpText() names the program from the running application, which
        // does not exist yet.
        line.text = parser.helpText().replace(QRegularExpression(QStringLiteral("^Usage: \\S*")),
                                              QStringLiteral("Usage: ") + program);
        return line;
    }
    if (parser.isSet(version)) {
        line.action = Action::ShowVersion;
        line.text = program + u' ' + QString::fromLatin1(Version::number) + u'\n';
        return line;
    }
    if (parser.isSet(registerLinks) || parser.isSet(unregisterLinks)) {
        line.action = parser.isSet(registerLinks) ? Action::RegisterLinks : Action::UnregisterLinks;
        return line;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1 || (positional.size() == 1 && parser.isSet(join))) {
        line.action = Action::Refuse;
        line.text = QStringLiteral("give one server to join, not several");
        return line;
    }
    if (parser.isSet(join)) {
        line.join = parser.value(join);
    } else if (!positional.isEmpty()) {
        line.join = positional.first();
        line.joinIsLink = true;
    }
    return line;
}
