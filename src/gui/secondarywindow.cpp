#include "gui/secondarywindow.h"

#include <QScreen>
#include <QShortcut>
#include <QWidget>

#include <algorithm>

namespace SecondaryWindow {

void centreOver(QWidget* window, const QWidget* anchor)
{
    // The client areas are centred, by client position: a window not shown
    // yet knows no frame, and the frames of the two windows are alike.
    QRect place(QPoint(), window->size());
    place.moveCenter(anchor->geometry().center());
    if (const QScreen* screen = anchor->screen()) {
        const QRect available = screen->availableGeometry();
        place.moveLeft(std::max(available.left(),
                                std::min(place.left(), available.right() + 1 - place.width())));
        place.moveTop(std::max(available.top(),
                               std::min(place.top(), available.bottom() + 1 - place.height())));
    }
    window->setGeometry(place);
}

void closeOnEscape(QWidget* window)
{
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}

} // namespace SecondaryWindow
