#include "gui/centredmessagebox.h"

#include "gui/secondarywindow.h"

void CentredMessageBox::resizeEvent(QResizeEvent* event)
{
    QMessageBox::resizeEvent(event);
    if (QWidget* parent = parentWidget())
        SecondaryWindow::centreOver(this, parent->window());
}
