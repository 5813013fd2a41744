#include "core/browser/systemprocessstarter.h"

#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

bool SystemProcessStarter::startDetached(const QString& program, const QStringList& arguments,
                                         const QString& workingDirectory, QString* error)
{
    QProcess process;
    // An old game looks for its data files in its working directory.
    process.setWorkingDirectory(workingDirectory);
#ifdef Q_OS_WIN
    process.setProgram(program);
    process.setArguments(arguments);
    // Windows may want administrator rights for an old program (installer
    // detection, compatibility settings); the launchers set the same when they
    // start the game, so that it runs as the player without an elevation prompt.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("__COMPAT_LAYER"), QStringLiteral("RunAsInvoker"));
    process.setProcessEnvironment(environment);
    // The game comes up minimized but with the focus, out of the browser's way.
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_SHOWMINIMIZED;
    });
#else
    const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
    if (wine.isEmpty()) {
        if (error)
            *error = QStringLiteral("wine was not found on the PATH");
        return false;
    }
    process.setProgram(wine);
    process.setArguments(QStringList{program} + arguments);
#endif
    if (process.startDetached())
        return true;
    if (error)
        *error = process.errorString();
    return false;
}
