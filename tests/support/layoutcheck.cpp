#include "layoutcheck.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

namespace LayoutCheck {

namespace {

QString nameOf(const QWidget* widget)
{
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

bool isNamed(const QWidget* widget)
{
    return !widget->objectName().isEmpty() && !widget->objectName().startsWith(u"qt_");
}

// The named controls of `container` and of what it holds, other windows left out.
void collect(const QWidget* container, QList<const QWidget*>& controls)
{
    for (const QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        if (isNamed(child))
            controls.append(child);
        collect(child, controls);
    }
}

// Rows drawn 240 twips apart with 255-twip labels share their edge pixel; a
// shared edge line is not an overlap.
bool overlap(const QRect& a, const QRect& b)
{
    const QRect common = a.intersected(b);
    return common.width() > 1 && common.height() > 1;
}

// A control may sit in a frame's free room, as the IRC defaults button does:
// wholly inside it, stacked above it, clear of its caption and its controls.
bool sitsInFreeRoom(const QWidget* control, const QWidget* frame)
{
    const auto* box = qobject_cast<const QGroupBox*>(frame);
    const QObjectList& stack = frame->parentWidget()->children();
    if (!box || !box->geometry().contains(control->geometry()) ||
        stack.indexOf(control) < stack.indexOf(frame))
        return false;
    const QRect inFrame = control->geometry().translated(-frame->pos());
    if (overlap(inFrame, QRect(0, 0, frame->width(), frame->fontMetrics().height())))
        return false;
    for (const QWidget* held : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (overlap(inFrame, held->geometry()))
            return false;
    }
    return true;
}

// The text a control shows as its caption and the width it needs. A check
// box's caption runs on from its box; a radio button's text has the room the
// style gives beside its indicator (the filters' buttons leave no margin for
// a focus frame).
QString caption(const QWidget* control, int* needed = nullptr)
{
    QString text;
    if (const auto* frame = qobject_cast<const QGroupBox*>(control))
        text = frame->title();
    else if (const auto* label = qobject_cast<const QLabel*>(control))
        text = label->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        text = button->text().remove(u'&');
    if (needed) {
        *needed = control->fontMetrics().horizontalAdvance(text);
        if (qobject_cast<const QCheckBox*>(control)) {
            *needed = control->sizeHint().width();
        } else if (const auto* radio = qobject_cast<const QRadioButton*>(control)) {
            QStyleOptionButton option;
            option.initFrom(radio);
            const QRect room =
                radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
            *needed += control->width() - room.width();
        }
    }
    return text;
}

} // namespace

QStringList faults(const QWidget* window)
{
    QStringList found;
    QList<const QWidget*> controls;
    collect(window, controls);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const QWidget* control = controls[i];
        const QWidget* container = control->parentWidget();
        const QRect place = control->geometry();
        if (!QRect(QPoint(), container->size()).contains(place))
            found << QStringLiteral("%1 lies outside %2").arg(nameOf(control), nameOf(container));
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            const QWidget* other = controls[j];
            if (other->parentWidget() == container && overlap(other->geometry(), place) &&
                !sitsInFreeRoom(control, other) && !sitsInFreeRoom(other, control))
                found << QStringLiteral("%1 overlaps %2").arg(nameOf(control), nameOf(controls[j]));
        }
        int needed = 0;
        const QString text = caption(control, &needed);
        if (needed > control->width())
            found << QStringLiteral("%1's caption \"%2\" needs %3 pixels, has %4")
                         .arg(nameOf(control), text)
                         .arg(needed)
                         .arg(control->width());
        const auto* label = qobject_cast<const QLabel*>(control);
        if (label && label->pixmap().isNull() && text.trimmed().isEmpty())
            found << QStringLiteral("%1 shows nothing").arg(nameOf(control));
    }
    return found;
}

QStringList missing(const QWidget* window, std::initializer_list<Expected> expected)
{
    QStringList found;
    for (const Expected& row : expected) {
        const QString name = QString::fromLatin1(row.name);
        const auto* control = window->findChild<QWidget*>(name);
        if (!control) {
            found << QStringLiteral("%1 is missing").arg(name);
            continue;
        }
        const QWidget* container = control->parentWidget();
        const bool inPlace = row.container ? container->objectName() == QLatin1String(row.container)
                                           : container == window;
        if (!inPlace)
            found << QStringLiteral("%1 is in %2").arg(name, nameOf(container));
        if (row.caption && caption(control) != QLatin1String(row.caption))
            found << QStringLiteral("%1 shows \"%2\"").arg(name, caption(control));
    }
    return found;
}

} // namespace LayoutCheck
