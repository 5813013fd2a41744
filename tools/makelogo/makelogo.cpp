// Draws the Varnholt logo: a red "V" over a gunsight on the program's dark
// blue, with "VNH" beneath. Writes logo.jpg (128 x 128, the about box's
// picture) and varnholt.png (256 x 256, the window and desktop icon) into the
// folder given on the command line.

#include "gui/palette.h"

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTextStream>

namespace {

// The windows' colours; the palette's colours are inline, so the tool
// includes the header without linking the windows.
constexpr QColor background = Palette::windowBackground;
constexpr QColor sightColour = Palette::fieldText;
constexpr QColor letterColour = Palette::labelText;
const QColor red(200, 24, 24);
const QColor darkRed(110, 0, 0);

constexpr qreal designSize = 128.0;

// Draws in a 128 x 128 design space, scaled to the image.
void drawLogo(QPainter& painter, int size)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / designSize, size / designSize);
    painter.fillRect(QRectF(0, 0, designSize, designSize), background);

    // Gunsight: a ring with four ticks, centred above the lettering.
    const QPointF centre(64, 54);
    painter.setPen(QPen(sightColour, 2.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 40, 40);
    painter.setPen(QPen(sightColour, 2.0));
    painter.drawLine(QPointF(64, 6), QPointF(64, 22));
    painter.drawLine(QPointF(64, 86), QPointF(64, 102));
    painter.drawLine(QPointF(16, 54), QPointF(32, 54));
    painter.drawLine(QPointF(96, 54), QPointF(112, 54));

    // The "V": two slanted bars meeting in a point, with a dark outline.
    const QPolygonF vee({QPointF(30, 20), QPointF(48, 20), QPointF(64, 66), QPointF(80, 20),
                         QPointF(98, 20), QPointF(70, 92), QPointF(58, 92)});
    painter.setPen(QPen(darkRed, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(red);
    painter.drawPolygon(vee);

    // "VNH", bold, across the bottom.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(20);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    QPainterPath lettering;
    lettering.addText(0, 0, font, QStringLiteral("VNH"));
    const QRectF bounds = lettering.boundingRect();
    lettering.translate((designSize - bounds.width()) / 2 - bounds.left(), 122 - bounds.bottom());
    painter.setPen(Qt::NoPen);
    painter.setBrush(letterColour);
    painter.drawPath(lettering);
}

QImage renderLogo(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    QPainter painter(&image);
    drawLogo(painter, size);
    painter.end();
    return image;
}

} // namespace

int main(int argc, char* argv[])
{
    // Text needs a GUI application, but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: makelogo <output folder>\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const QString logoPath = folder.filePath(QStringLiteral("logo.jpg"));
    const QString iconPath = folder.filePath(QStringLiteral("varnholt.png"));
    if (!renderLogo(128).save(logoPath, "JPG", 92)) {
        err << "cannot write " << logoPath << '\n';
        return 1;
    }
    if (!renderLogo(256).save(iconPath, "PNG")) {
        err << "cannot write " << iconPath << '\n';
        return 1;
    }
    QTextStream(stdout) << "wrote " << logoPath << " and " << iconPath << '\n';
    return 0;
}
