#include "gui/messageboxprompts.h"

#include "gui/centredmessagebox.h"
#include "gui/passworddialog.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

const QString startQuestion = QStringLiteral("Click OK to start Red Faction");

int showBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
            QMessageBox::StandardButtons buttons)
{
    CentredMessageBox box(icon, QGuiApplication::applicationDisplayName(), text, buttons, parent);
    // Addresses and reasons may come from outside: never read as markup.
    box.setTextFormat(Qt::PlainText);
    return box.exec();
}

} // namespace

bool MessageBoxPrompts::confirmStart()
{
    return showBox(m_parent, QMessageBox::Question, startQuestion,
                   QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool MessageBoxPrompts::confirmJoin(const ServerEndpoint& server)
{
    return showBox(
               m_parent, QMessageBox::Question,
               startQuestion +
                   QStringLiteral("\n\nA link asks to join the server at %1.").arg(server.text()),
               QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void MessageBoxPrompts::reportMissingDirectory()
{
    showBox(m_parent, QMessageBox::NoIcon,
            QStringLiteral("Please set the Red Faction directory in the options panel"),
            QMessageBox::Ok);
}

void MessageBoxPrompts::reportStartFailure(const QString& why)
{
    showBox(m_parent, QMessageBox::Warning,
            QStringLiteral("Red Faction could not be started: ") + why, QMessageBox::Ok);
}

std::optional<QString> MessageBoxPrompts::askPassword(const ServerEndpoint& server)
{
    return PasswordDialog::ask(server, m_parent);
}

void MessageBoxPrompts::reportUnusablePassword(RfLink::PasswordProblem problem)
{
    const QString why =
        problem == RfLink::PasswordProblem::TooLong
            ? QStringLiteral("The password is longer than %1 characters, the most the game takes.")
                  .arg(RfLink::maxPasswordLength)
            : QStringLiteral("A password with \", \\, a blank or a control character does not "
                             "reach the game intact.");
    showBox(m_parent, QMessageBox::Warning, why + QStringLiteral(" Nothing was started."),
            QMessageBox::Ok);
}

QString MessageBoxPrompts::badLinkText(RfLink::Error error)
{
    const QString example = QStringLiteral(" A server link looks like rf://203.0.113.5:7755.");
    switch (error) {
    case RfLink::Error::None:
        break;
    case RfLink::Error::UnknownScheme:
        return QStringLiteral("This is not a server link: it does not start with rf://.") + example;
    case RfLink::Error::BadHost:
        return QStringLiteral("The server's address may hold only letters, digits, dots and "
                              "hyphens.") +
               example;
    case RfLink::Error::BracketedHost:
        return QStringLiteral("The server's address is an IPv6 address; Red Faction reaches "
                              "servers over IPv4 only.") +
               example;
    case RfLink::Error::MissingPort:
        return QStringLiteral("The server's port is missing.") + example;
    case RfLink::Error::BadPort:
        return QStringLiteral("The server's port is not a number.") + example;
    case RfLink::Error::PortOutOfRange:
        return QStringLiteral("The server's port must be a number from 1 to 65535.");
    case RfLink::Error::BadRest:
        return QStringLiteral("Only ?password=... may follow the server's port.") + example;
    case RfLink::Error::BadEncoding:
        return QStringLiteral("A % in the link must start a %XX code of a character, as a "
                              "blank is %20.") +
               example;
    }
    return {};
}

void MessageBoxPrompts::reportBadLink(RfLink::Error error)
{
    showBox(m_parent, QMessageBox::Warning,
            QStringLiteral("Cannot join this server. ") + badLinkText(error), QMessageBox::Ok);
}

void MessageBoxPrompts::offerAddress(const ServerEndpoint& server)
{
    QGuiApplication::clipboard()->setText(server.text());
}
