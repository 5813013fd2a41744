#pragma once

#include <QStringList>
#include <QWidget>

class QPlainTextEdit;

// The users window: the channel's names, one per line. It is hidden rather
// than closed so its list survives and keeps being refreshed while hidden.
class UsersWindow : public QWidget
{
    Q_OBJECT
public:
    explicit UsersWindow(QWidget* parent = nullptr);

    void setUsers(const QStringList& names);
    QString usersText() const;

Q_SIGNALS:
    void refreshClicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPlainTextEdit* m_userList;
};
