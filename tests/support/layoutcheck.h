#pragma once

#include <QStringList>
#include <QTest>

#include <initializer_list>

class QWidget;

// Checks of a window's hand-placed layout that hold whatever the rectangles
// are, so a control moved onto another or out of its frame is caught without
// restating each rectangle. A named control is a widget with an objectName
// (Qt's own "qt_" parts excepted) inside the window, directly or in a frame.
namespace LayoutCheck {

// A control the window must have, under the container of that objectName
// (nullptr: the window itself), showing `caption` (without '&') when given.
struct Expected
{
    const char* name;
    const char* container;
    const char* caption = nullptr;
};

// Every named control lies inside its container, no two under one container
// overlap, every caption fits its control's width and every label shows text
// or a picture. One line per fault; empty when the layout holds.
QStringList faults(const QWidget* window);

// The expected controls that are missing, in another container or with
// another caption.
QStringList missing(const QWidget* window, std::initializer_list<Expected> expected);

} // namespace LayoutCheck

// Fails the test with every fault listed.
#define VERIFY_NO_FAULTS(list)                                                                     \
    do {                                                                                           \
        const QStringList faults_ = (list);                                                        \
        QVERIFY2(faults_.isEmpty(), qPrintable(faults_.join(u'\n')));                              \
    } while (false)
