#include "core/platform/linkregistration.h"

#include "core/platform/installlocations.h"

#include <QDir>
#include <QSettings>

namespace {

const QString commandValue = QStringLiteral("rf/shell/open/command/Default");

[[maybe_unused]] bool unsupported(QString* error)
{
    if (error)
        *error = QStringLiteral("rf:// links are registered on Windows only");
    return false;
}

#ifdef Q_OS_WIN
bool finish(QSettings& classes, QString* error)
{
    classes.sync();
    if (classes.status() == QSettings::NoError)
        return true;
    if (error)
        *error =
            QStringLiteral("the registry key %1\\rf could not be written").arg(classes.fileName());
    return false;
}
#endif

} // namespace

LinkRegistration::LinkRegistration(const QString& program, const QString& classesKey)
    : m_program(QDir::toNativeSeparators(program)), m_classesKey(classesKey)
{
}

bool LinkRegistration::isSupported()
{
#ifdef Q_OS_WIN
    return true;
#else
    return false;
#endif
}

QString LinkRegistration::command(const QString& program)
{
    return QStringLiteral("\"%1\" \"%2\"").arg(QDir::toNativeSeparators(program), u"%1");
}

bool LinkRegistration::isRegistered() const
{
#ifdef Q_OS_WIN
    const QSettings classes(m_classesKey, QSettings::NativeFormat);
    const QString registered =
        InstallLocations::commandProgram(classes.value(commandValue).toString());
    return !registered.isEmpty() &&
           QDir::cleanPath(QDir::fromNativeSeparators(registered))
                   .compare(QDir::cleanPath(QDir::fromNativeSeparators(m_program)),
                            Qt::CaseInsensitive) == 0;
#else
    return false;
#endif
}

bool LinkRegistration::registerLinks(QString* error)
{
#ifdef Q_OS_WIN
    QSettings classes(m_classesKey, QSettings::NativeFormat);
    classes.beginGroup(QStringLiteral("rf"));
    classes.setValue(QStringLiteral("Default"), QStringLiteral("URL:Red Faction link"));
    // Its presence, with an empty value, marks the key as a URL scheme.
    classes.setValue(QStringLiteral("URL Protocol"), QStringLiteral(""));
    classes.setValue(QStringLiteral("DefaultIcon/Default"),
                     QStringLiteral("\"%1\",0").arg(m_program));
    classes.endGroup();
    classes.setValue(commandValue, command(m_program));
    return finish(classes, error);
#else
    return unsupported(error);
#endif
}

bool LinkRegistration::unregisterLinks(QString* error)
{
#ifdef Q_OS_WIN
    QSettings classes(m_classesKey, QSettings::NativeFormat);
    const QString registered =
        InstallLocations::commandProgram(classes.value(commandValue).toString());
    if (!InstallLocations::isVarnholt(registered))
        return true;
    classes.remove(QStringLiteral("rf"));
    return finish(classes, error);
#else
    return unsupported(error);
#endif
}
