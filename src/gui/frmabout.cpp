#include "gui/frmabout.h"

#include "gui/controls.h"
#include "gui/credits.h"
#include "gui/palette.h"
#include "gui/twips.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

constexpr int labelHeight = 255;

QLabel* addLabel(QWidget* parent, const QString& name, const QString& text, int left, int top,
                 int width)
{
    return Controls::label(parent, name, text, left, top, width, labelHeight);
}

} // namespace

frmabout::frmabout(QWidget* parent) : QWidget(parent, Qt::Window)
{
    // The images are compiled into a static library, whose resources a
    // program only gets when something asks for them by name.
    Q_INIT_RESOURCE(resources);
    setObjectName(QStringLiteral("frmabout"));
    setWindowTitle(QStringLiteral("About VNH"));
    setClientAreaTwips(this, 4680, 3195);
    Palette::applyTo(this);
    Palette::applyLayoutFont(this);

    QLabel* title = addLabel(this, QStringLiteral("lbltitle"), titleText(), 120, 120, 4455);
    title->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    addLabel(this, QStringLiteral("lblversion"), QStringLiteral("Version 1.0.1"), 3120, 360, 1455);

    auto* picture = Controls::add<QLabel>(this, QStringLiteral("Picture1"), 600, 720, 2055, 2055);
    picture->setPixmap(QPixmap(QStringLiteral(":/logo.jpg")));
    picture->setAlignment(Qt::AlignCenter);

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("linethanks"));
    line->setFrameShape(QFrame::VLine);
    Palette::makeSeparator(line);
    placeAt(line, 3240, 840, twipsPerPixel, 2520 - 840);

    // The thanks column runs from the line to the window's right margin.
    constexpr int thanksLeft = 3360;
    constexpr int thanksWidth = 4680 - 120 - thanksLeft;
    addLabel(this, QStringLiteral("lblthanks"), QStringLiteral("Thanks:"), thanksLeft, 960,
             thanksWidth);
    const QString thanks[] = {QStringLiteral("RF players"), QStringLiteral("Qt Project"),
                              QStringLiteral("ngIRCd team")};
    int top = 1320;
    for (int i = 0; i < 3; ++i, top += 240)
        addLabel(this, QStringLiteral("lblthanks%1").arg(i + 1), thanks[i], thanksLeft, top,
                 thanksWidth);

    auto* close = Controls::button(this, QStringLiteral("Command1"), QStringLiteral("Close"), 3480,
                                   2880, 1095, 255);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

QString frmabout::titleText()
{
    return QStringLiteral("Varnholt (VNH) - %1 (2003)").arg(QString::fromLatin1(authorCredit));
}
