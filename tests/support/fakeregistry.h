#pragma once

#include "core/platform/registryreader.h"

#include <QMap>

// A registry held in a table; a key's subkeys are the keys below it that
// hold values.
struct FakeRegistry
{
    using Root = RegistryReader::Root;
    using View = RegistryReader::View;
    QMap<QString, QString> values; // "ROOT VIEW KEY|NAME"

    void set(Root root, const QString& key, const QString& name, const QString& value,
             View view = View::Native)
    {
        values[QStringLiteral("%1 %2 %3|%4").arg(int(root)).arg(int(view)).arg(key, name)] = value;
    }
    RegistryReader reader() const
    {
        return {[v = values](Root root, const QString& key, const QString& name, View view) {
                    return v.value(
                        QStringLiteral("%1 %2 %3|%4").arg(int(root)).arg(int(view)).arg(key, name));
                },
                [v = values](Root root, const QString& key, View view) {
                    const QString below =
                        QStringLiteral("%1 %2 %3\\").arg(int(root)).arg(int(view)).arg(key);
                    QStringList names;
                    for (const QString& at : v.keys())
                        if (at.startsWith(below))
                            names << at.mid(below.size()).section(u'|', 0, 0);
                    names.removeDuplicates();
                    return names;
                }};
    }
};
