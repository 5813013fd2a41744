#pragma once

#include "core/platform/registryreader.h"

#include <QMap>

// A registry held in a table; a key's subkeys are those that hold values.
class FakeRegistry
{
public:
    using Root = RegistryReader::Root;
    using View = RegistryReader::View;

    void set(Root root, const QString& key, const QString& name, const QString& value,
             View view = View::Native)
    {
        m_values[place(root, view, key) + '|' + name] = value;
    }

    RegistryReader reader() const
    {
        return {[values = m_values](Root root, const QString& key, const QString& name, View view) {
                    return values.value(place(root, view, key) + '|' + name);
                },
                [values = m_values](Root root, const QString& key, View view) {
                    QStringList names;
                    const QString prefix = place(root, view, key) + '\\';
                    for (const QString& at : values.keys())
                        if (at.startsWith(prefix) &&
                            !names.contains(at.mid(prefix.size()).section('|', 0, 0)))
                            names << at.mid(prefix.size()).section('|', 0, 0);
                    return names;
                }};
    }

private:
    static QString place(Root root, View view, const QString& key)
    {
        return QString::number(int(root)) + QString::number(int(view)) + ':' + key;
    }

    QMap<QString, QString> m_values;
};
