#include "app/frmusers.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
// Layout is kept in twips; 15 twips make one pixel at 96 dpi.
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

const QColor windowBackground(0, 0, 64);
const QColor labelText(224, 224, 224);
const QColor textBoxBackground(0, 64, 64);
const QColor textBoxText(0, 192, 192);
} // namespace

frmusers::frmusers(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmusers"));
    setWindowTitle(QStringLiteral("Users"));
    setFixedSize(twips(0, 0, 2400, 7305).size());

    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, windowBackground);
    windowPalette.setColor(QPalette::WindowText, labelText);
    setPalette(windowPalette);
    setAutoFillBackground(true);

    m_frame = new QGroupBox(this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_frame->setGeometry(twips(120, 120, 2175, 6975));

    m_userlist = new QPlainTextEdit(m_frame);
    m_userlist->setObjectName(QStringLiteral("userlist"));
    m_userlist->setGeometry(twips(120, 240, 1935, 5895));
    m_userlist->setReadOnly(true);
    m_userlist->setUndoRedoEnabled(false);
    m_userlist->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette listPalette = m_userlist->palette();
    listPalette.setColor(QPalette::Base, textBoxBackground);
    listPalette.setColor(QPalette::Text, textBoxText);
    m_userlist->setPalette(listPalette);

    m_refresh = new QPushButton(QStringLiteral("Refresh"), m_frame);
    m_refresh->setObjectName(QStringLiteral("btnuserefres"));
    m_refresh->setGeometry(twips(600, 6240, 975, 255));
    connect(m_refresh, &QPushButton::clicked, this, &frmusers::refreshClicked);

    m_close = new QPushButton(QStringLiteral("Close"), m_frame);
    m_close->setObjectName(QStringLiteral("btnuserclose"));
    m_close->setGeometry(twips(600, 6600, 975, 255));
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
