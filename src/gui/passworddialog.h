#pragma once

#include "core/wire/serverendpoint.h"

#include <QDialog>
#include <QString>

#include <optional>

class QLineEdit;

// Asks for the password of a server that wants one: a masked field, OK and
// Cancel. The password is handed on and kept nowhere.
class PasswordDialog : public QDialog
{
    Q_OBJECT
public:
    PasswordDialog(const ServerEndpoint& server, QWidget* parent = nullptr);

    QString password() const;

    // Modal; nothing for Cancel.
    static std::optional<QString> ask(const ServerEndpoint& server, QWidget* parent);

private:
    QLineEdit* m_field;
};
