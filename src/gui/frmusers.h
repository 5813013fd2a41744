#pragma once

#include <QStringList>
#include <QWidget>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;

// The users window: the channel's names, one per line. It is hidden rather
// than closed so its list survives and keeps being refreshed while hidden.
class frmusers : public QWidget
{
    Q_OBJECT
public:
    explicit frmusers(QWidget* parent = nullptr);

    void setUsers(const QStringList& names);
    QString usersText() const;

Q_SIGNALS:
    void refreshClicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QGroupBox* m_frame;
    QPlainTextEdit* m_userlist;
    QPushButton* m_refresh;
    QPushButton* m_close;
};
