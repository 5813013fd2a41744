#include "gui/passworddialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

PasswordDialog::PasswordDialog(const ServerEndpoint& server, QWidget* parent)
    : QDialog(parent), m_field(new QLineEdit(this))
{
    setObjectName(QStringLiteral("frmpassword"));
    setWindowTitle(QGuiApplication::applicationDisplayName());
    auto* label = new QLabel(
        QStringLiteral("The server at %1 asks for a password:").arg(server.text()), this);
    // The address came from a server list or a link: shown as it is.
    label->setTextFormat(Qt::PlainText);
    m_field->setObjectName(QStringLiteral("txtpassword"));
    m_field->setEchoMode(QLineEdit::Password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_field);
    layout->addWidget(buttons);
}

QString PasswordDialog::password() const
{
    return m_field->text();
}

std::optional<QString> PasswordDialog::ask(const ServerEndpoint& server, QWidget* parent)
{
    PasswordDialog dialog(server, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.password();
}
