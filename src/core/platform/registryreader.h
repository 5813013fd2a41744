#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Reads string values from the Windows registry. The lookups that need it
// take it as a value, so that tests can hand them a table instead.
struct RegistryReader
{
    enum class Root
    {
        CurrentUser,
        LocalMachine,
    };
    // A 64-bit program sees its own view of HKLM\SOFTWARE; 32-bit installers
    // write to the other one (WOW6432Node).
    enum class View
    {
        Native,
        Wow32,
    };

    // A REG_SZ or REG_EXPAND_SZ value (expanded); an empty name is the key's
    // default value. Empty when the key or value is missing.
    std::function<QString(Root root, const QString& key, const QString& name, View view)> value;
    // The names of a key's subkeys.
    std::function<QStringList(Root root, const QString& key, View view)> subkeys;

    // The system's registry on Windows; elsewhere one that holds nothing.
    static RegistryReader system();
};
