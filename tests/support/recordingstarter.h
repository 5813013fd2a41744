#pragma once

#include "core/browser/processstarter.h"

// Records each program it is asked to start, as "PROGRAM ARGUMENTS... in
// FOLDER", instead of starting it; fails with `failure` when that is set.
class RecordingStarter : public ProcessStarter
{
public:
    QString failure;
    QStringList started;

    bool startDetached(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory, QString* error) override
    {
        started << (QStringList{program} + arguments +
                    QStringList{QStringLiteral("in"), workingDirectory})
                       .join(u' ');
        if (!failure.isEmpty())
            *error = failure;
        return failure.isEmpty();
    }
};
