#pragma once

#include <QString>
#include <QStringList>

// Starts a program without waiting for it.
class ProcessStarter
{
public:
    virtual ~ProcessStarter() = default;
    // Runs `program` in `workingDirectory`. False, with the reason in
    // *error, when the program could not be started.
    virtual bool startDetached(const QString& program, const QStringList& arguments,
                               const QString& workingDirectory, QString* error) = 0;
};
