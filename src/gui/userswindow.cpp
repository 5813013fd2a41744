#include "gui/userswindow.h"

#include "gui/controls.h"
#include "gui/palette.h"
#include "gui/secondarywindow.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

using Controls::make;

constexpr Controls::Control controls[] = {
    {"Frame1", nullptr, make<QGroupBox>, "", 120, 120, 2175, 6975},
    {"userlist", "Frame1", make<QPlainTextEdit>, "", 120, 240, 1935, 5895},
    {"btnuserefres", "Frame1", make<QPushButton>, "&Refresh", 600, 6240, 975, 255},
    {"btnuserclose", "Frame1", make<QPushButton>, "&Close", 600, 6600, 975, 255},
};

} // namespace

UsersWindow::UsersWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmusers"));
    setWindowTitle(QStringLiteral("Users"));
    setClientAreaTwips(this, 2400, 7305);
    Palette::applyTo(this);
    Palette::applyLayoutFont(this);
    SecondaryWindow::closeOnEscape(this);

    const Controls::Built built = Controls::build(this, controls);

    m_userList = Controls::get<QPlainTextEdit>(built, "userlist");
    m_userList->setReadOnly(true);
    m_userList->setUndoRedoEnabled(false);
    m_userList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    connect(Controls::get<QPushButton>(built, "btnuserefres"), &QPushButton::clicked, this,
            &UsersWindow::refreshClicked);
    connect(Controls::get<QPushButton>(built, "btnuserclose"), &QPushButton::clicked, this,
            &QWidget::hide);
}

void UsersWindow::setUsers(const QStringList& names)
{
    m_userList->setPlainText(names.join(u'\n'));
}

QString UsersWindow::usersText() const
{
    return m_userList->toPlainText();
}

void UsersWindow::closeEvent(QCloseEvent* event)
{
    // The title bar's close button hides too; the window lives for the run.
    event->ignore();
    hide();
}
