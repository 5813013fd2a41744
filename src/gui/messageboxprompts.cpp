#include "gui/messageboxprompts.h"

#include "gui/centredmessagebox.h"

#include <QGuiApplication>

namespace {

int showBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
            QMessageBox::StandardButtons buttons)
{
    CentredMessageBox box(icon, QGuiApplication::applicationDisplayName(), text, buttons, parent);
    return box.exec();
}

} // namespace

bool MessageBoxPrompts::confirmStart()
{
    return showBox(m_parent, QMessageBox::Question, QStringLiteral("Click OK to start Red Faction"),
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
