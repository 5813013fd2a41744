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
        built.insert(name, control);
    }
    arrange(built, table, {});
    return built;
}

void arrange(const Built& built, std::span<const Control> table, QSize extra)
{
    // What each frame has grown by, for the rows it holds.
    QHash<QString, QSize> grownBy;
    const QSize windowExtra = extra.expandedTo({0, 0});
    for (const Control& row : table) {
        const QString name = QString::fromLatin1(row.name);
        const QSize room =
            row.container ? grownBy.value(QString::fromLatin1(row.container)) : windowExtra;
        const Growth& growth = row.growth;
        const QSize grown(room.width() * growth.growX / 100, room.height() * growth.growY / 100);
        QRect place = twipsRect(row.left, row.top, row.width, row.height);
        place.translate(room.width() * growth.moveX / 100, room.height() * growth.moveY / 100);
        place.setSize(place.size() + grown);
        built.value(name)->setGeometry(place);
        grownBy.insert(name, grown);
    }
}

} // namespace Controls
