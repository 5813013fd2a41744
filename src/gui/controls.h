#pragma once

#include "gui/twips.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QString>

// Every window builds its controls the same way: a named control at its
// rectangle in twips (Left, Top, Width, Height) inside its window or frame.
namespace Controls {

template <typename Control>
Control* add(QWidget* parent, const QString& name, int left, int top, int width, int height)
{
    auto* control = new Control(parent);
    control->setObjectName(name);
    placeAt(control, left, top, width, height);
    return control;
}

inline QGroupBox* frame(QWidget* parent, const QString& name, const QString& caption, int left,
                        int top, int width, int height)
{
    auto* frame = add<QGroupBox>(parent, name, left, top, width, height);
    frame->setTitle(caption);
    return frame;
}

template <typename Button>
Button* captioned(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                  int width, int height)
{
    auto* button = add<Button>(parent, name, left, top, width, height);
    button->setText(caption);
    return button;
}

inline QPushButton* button(QWidget* parent, const QString& name, const QString& caption, int left,
                           int top, int width, int height)
{
    return captioned<QPushButton>(parent, name, caption, left, top, width, height);
}

inline QRadioButton* option(QWidget* parent, const QString& name, const QString& caption, int left,
                            int top, int width, int height)
{
    return captioned<QRadioButton>(parent, name, caption, left, top, width, height);
}

inline QLabel* label(QWidget* parent, const QString& name, const QString& text, int left, int top,
                     int width, int height)
{
    auto* label = add<QLabel>(parent, name, left, top, width, height);
    label->setText(text);
    return label;
}

inline QLineEdit* textBox(QWidget* parent, const QString& name, int left, int top, int width,
                          int height, bool readOnly)
{
    auto* box = add<QLineEdit>(parent, name, left, top, width, height);
    box->setReadOnly(readOnly);
    return box;
}

} // namespace Controls
