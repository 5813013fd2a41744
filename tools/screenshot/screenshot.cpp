// Renders the main window and the options dialog into PNG files, with the
// data files in a temporary folder so the player's own settings are never
// read or touched. Run under the offscreen platform:
//   QT_QPA_PLATFORM=offscreen build/bin/varnholt-screenshot docs/screenshots
#include "app/form1.h"
#include "app/frmoptions.h"
#include "platform/datapaths.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnholt"));
    const QString outputFolder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
    QDir().mkpath(outputFolder);

    QTemporaryDir data;
    DataPaths::setOverrideFolder(data.path());

    Form1 window;
    window.show();
    frmoptions* options = window.optionsDialog();
    options->show();

    // Wait for the first memory tick, so the status line is complete.
    int status = 1;
    QTimer::singleShot(2300, &app, [&] {
        const bool ok = window.grab().save(QDir(outputFolder).filePath(QStringLiteral("main-window.png")))
                        && options->grab().save(QDir(outputFolder).filePath(QStringLiteral("options.png")));
        std::printf("%s\n", ok ? "screenshots written" : "could not write the screenshots");
        status = ok ? 0 : 1;
        app.quit();
    });
    app.exec();
    return status;
}
