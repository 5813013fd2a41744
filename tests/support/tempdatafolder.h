#pragma once

#include <QString>
#include <QTemporaryDir>

// Points the program's data files (settings and address cache) at a fresh
// temporary folder for as long as it lives.
class TempDataFolder
{
public:
    TempDataFolder();
    ~TempDataFolder();
    TempDataFolder(const TempDataFolder&) = delete;
    TempDataFolder& operator=(const TempDataFolder&) = delete;

    QString path() const { return m_dir.path(); }
    QString settingsFile() const;
    QString cacheFile() const;

private:
    QTemporaryDir m_dir;
};
