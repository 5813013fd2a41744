#include "gui/frmusers.h"

#include "gui/controls.h"
#include "gui/palette.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>

frmusers::frmusers(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmusers"));
    setWindowTitle(QStringLiteral("Users"));
    setClientAreaTwips(this, 2400, 7305);
    Palette::applyTo(this);
    Palette::applyLayoutFont(this);

    m_frame = Controls::frame(this, QStringLiteral("Frame1"), {}, 120, 120, 2175, 6975);
    m_userlist =
        Controls::add<QPlainTextEdit>(m_frame, QStringLiteral("userlist"), 120, 240, 1935, 5895);
    m_userlist->setReadOnly(true);
    m_userlist->setUndoRedoEnabled(false);
    m_userlist->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    m_refresh = Controls::button(m_frame, QStringLiteral("btnuserefres"), QStringLiteral("Refresh"),
                                 600, 6240, 975, 255);
    connect(m_refresh, &QPushButton::clicked, this, &frmusers::refreshClicked);

    m_close = Controls::button(m_frame, QStringLiteral("btnuserclose"), QStringLiteral("Close"),
                               600, 6600, 975, 255);
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
}

void frmusers::setUsers(const QStringList& names)
{
    m_userlist->setPlainText(names.join(u'\n'));
}

QString frmusers::usersText() const
{
    return m_userlist->toPlainText();
}

void frmusers::closeEvent(QCloseEvent* event)
{
    // The title bar's close button hides too; the window lives for the run.
    event->ignore();
    hide();
}
