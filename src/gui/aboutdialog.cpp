#include "gui/aboutdialog.h"

#include "core/platform/version.h"
#include "gui/controls.h"
#include "gui/credits.h"
#include "gui/palette.h"
#include "gui/secondarywindow.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

using Controls::make;

// The thanks column runs from the line to the window's right margin.
constexpr int thanksLeft = 3360;
constexpr int thanksWidth = 4680 - 120 - thanksLeft;

// The title's text names the authors and the version's is the build's; both
// are set once the labels are built.
constexpr Controls::Control controls[] = {
    {"lbltitle", nullptr, make<QLabel>, "", 120, 120, 4455, 255},
    {"lblversion", nullptr, make<QLabel>, "", 3120, 360, 1455, 255},
    {"Picture1", nullptr, make<QLabel>, "", 600, 720, 2055, 2055},
    {"linethanks", nullptr, Controls::verticalLine, "", 3240, 840, twipsPerPixel, 2520 - 840},
    {"lblthanks", nullptr, make<QLabel>, "Thanks:", thanksLeft, 960, thanksWidth, 255},
    {"lblthanks1", nullptr, make<QLabel>, "RF players", thanksLeft, 1320, thanksWidth, 255},
    {"lblthanks2", nullptr, make<QLabel>, "Qt Project", thanksLeft, 1560, thanksWidth, 255},
    {"lblthanks3", nullptr, make<QLabel>, "ngIRCd team", thanksLeft, 1800, thanksWidth, 255},
    {"Command1", nullptr, make<QPushButton>, "&Close", 3480, 2880, 1095, 255},
};

} // namespace

AboutDialog::AboutDialog(QWidget* parent) : QWidget(parent, Qt::Window)
{
    // The images are compiled into a static library, whose resources a
    // program only gets when something asks for them by name.
    Q_INIT_RESOURCE(resources);
    setObjectName(QStringLiteral("frmabout"));
    setWindowTitle(QStringLiteral("About VNH"));
    setClientAreaTwips(this, 4680, 3195);
    Palette::applyTo(this);
    Palette::applyLayoutFont(this);
    SecondaryWindow::closeOnEscape(this);

    const Controls::Built built = Controls::build(this, controls);

    auto* title = Controls::get<QLabel>(built, "lbltitle");
    title->setText(titleText());
    title->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    Controls::get<QLabel>(built, "lblversion")
        ->setText(QStringLiteral("Version %1").arg(QLatin1String(Version::number)));

    auto* logo = Controls::get<QLabel>(built, "Picture1");
    logo->setPixmap(QPixmap(QStringLiteral(":/logo.jpg")));
    logo->setAlignment(Qt::AlignCenter);

    connect(Controls::get<QPushButton>(built, "Command1"), &QPushButton::clicked, this,
            &QWidget::hide);
}

QString AboutDialog::titleText()
{
    return QStringLiteral("Varnholt (VNH) - %1 (2003)").arg(QString::fromLatin1(authorCredit));
}
