#include "gui/controls.h"

#include "gui/palette.h"

#include <QFrame>

namespace Controls {

namespace {

QWidget* line(QWidget* container, QFrame::Shape shape)
{
    auto* line = new QFrame(container);
    line->setFrameShape(shape);
    Palette::makeSeparator(line);
    return line;
}

} // namespace

QWidget* horizontalLine(QWidget* container, const QString&)
{
    return line(container, QFrame::HLine);
}

QWidget* verticalLine(QWidget* container, const QString&)
{
    return line(container, QFrame::VLine);
}

Built build(QWidget* window, std::span<const Control> table)
{
    Built built;
    for (const Control& row : table) {
        QWidget* container =
            row.container ? built.value(QString::fromLatin1(row.container)) : window;
        Q_ASSERT_X(container, "Controls::build", row.name);
        const QString name = QString::fromLatin1(row.name);
        QWidget* control = row.make(container, QString::fromLatin1(row.caption));
        control->setObjectName(name);
        placeAt(control, row.left, row.top, row.width, row.height);
        built.insert(name, control);
    }
    return built;
}

} // namespace Controls
