#pragma once

#include <QString>

// Makes Windows open rf:// links with this program for the current user:
// the key HKCU\Software\Classes\rf. While it exists it hides the handler the
// community launchers register for the whole machine, which stays untouched.
// On other systems nothing is registered and every call says so.
class LinkRegistration
{
public:
    static constexpr auto userClasses = "HKEY_CURRENT_USER\\Software\\Classes";

    // `program`: the full path of varnholt.exe; `classesKey`: where the "rf"
    // key is written (tests use a key of their own).
    explicit LinkRegistration(const QString& program,
                              const QString& classesKey = QString::fromLatin1(userClasses));

    // Whether links can be registered on this system.
    static bool isSupported();
    // The command Windows runs for a link: "<program>" "%1".
    static QString command(const QString& program);

    // Whether the key exists and opens links with this program.
    bool isRegistered() const;
    // Writes the key. False, with the reason in *error, on failure.
    bool registerLinks(QString* error);
    // Removes the key when it opens links with a varnholt.exe; a key that
    // starts another program is left alone. False, with the reason in
    // *error, on failure.
    bool unregisterLinks(QString* error);

private:
    QString m_program;
    QString m_classesKey;
};
