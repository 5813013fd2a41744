#pragma once

#include "gui/twips.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QString>

#include <span>
#include <type_traits>

// Every window builds its controls the same way: a named control at its
// rectangle in twips (Left, Top, Width, Height) inside its window or frame.
// A window lists its controls in one table of Control rows and builds them
// with build().
namespace Controls {

// How a row follows its container when that is larger than its opening size:
// the share, in percent, of the container's extra width by which the row's
// left edge moves and by which its width grows, and the same for its top and
// height. All zero: the row keeps its place against the top left corner and
// its size. moveX + growX and moveY + growY stay within 100, so rows that do
// not overlap at the opening size never do.
struct Growth
{
    int moveX = 0;
    int growX = 0;
    int moveY = 0;
    int growY = 0;
};

// Makes a control inside `container`; the caption is what the kind of control
// shows (a frame's title, a button's or label's text) and may be ignored.
using Maker = QWidget* (*)(QWidget* container, const QString& caption);

// One row of a window's control table.
struct Control
{
    const char* name;      // the control's objectName
    const char* container; // objectName of an earlier row (a frame); nullptr: the window
    Maker make;
    const char* caption;
    int left;
    int top;
    int width;
    int height;
    Growth growth = {};
};

// The built controls by objectName.
using Built = QHash<QString, QWidget*>;

template <typename T> T* create(QWidget* container, const QString& caption)
{
    auto* control = new T(container);
    if constexpr (std::is_base_of_v<QGroupBox, T>)
        control->setTitle(caption);
    else if constexpr (std::is_base_of_v<QAbstractButton, T> || std::is_base_of_v<QLabel, T> ||
                       std::is_base_of_v<QLineEdit, T>)
        control->setText(caption);
    return control;
}

// A Maker for a table row.
template <typename T> QWidget* make(QWidget* container, const QString& caption)
{
    return create<T>(container, caption);
}

// Makers of the plain light grey separator lines.
QWidget* horizontalLine(QWidget* container, const QString& caption);
QWidget* verticalLine(QWidget* container, const QString& caption);

// Builds the rows in table order (a frame before what it holds), each named
// and placed at its rectangle.
Built build(QWidget* window, std::span<const Control> table);

// Places the built rows for a window `extra` pixels larger than its opening
// size: each at its rectangle, moved and grown by its shares of what its
// container has grown by.
void arrange(const Built& built, std::span<const Control> table, QSize extra);

// The built control `name`, which the table makes as a T.
template <typename T> T* get(const Built& built, const char* name)
{
    auto* control = qobject_cast<T*>(built.value(QString::fromLatin1(name)));
    Q_ASSERT_X(control, "Controls::get", name);
    return control;
}

} // namespace Controls
