#include "gui/palette.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

namespace Palette {

void chooseStyle()
{
    if (QApplication::style()->name().compare(u"windowsvista", Qt::CaseInsensitive) == 0)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

void applyTo(QWidget* window)
{
    // A palette rather than a style sheet: children inherit it, including the
    // ones added later, and the style keeps drawing buttons and frames natively.
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, windowBackground);
    palette.setColor(QPalette::WindowText, labelText);
    palette.setColor(QPalette::Base, fieldBackground);
    palette.setColor(QPalette::AlternateBase, fieldBackground);
    palette.setColor(QPalette::Text, fieldText);
    palette.setColor(QPalette::PlaceholderText, fieldText.darker(150));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

void applyLayoutFont(QWidget* window)
{
    QFont font = window->font();
    font.setPointSizeF(7.5);
    window->setFont(font);
}

void makeSeparator(QFrame* line)
{
    // A plain frame draws its line in the foreground colour.
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, separatorLine);
    line->setPalette(palette);
}

} // namespace Palette
