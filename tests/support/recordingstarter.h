#pragma once

#include "core/browser/processstarter.h"

// Records every program it is asked to start instead of starting it; fails
// with `failure` when that is set.
class RecordingStarter : public ProcessStarter
{
public:
    struct Start
    {
        QString program;
        QStringList arguments;
        QString workingDirectory;
        friend bool operator==(const Start&, const Start&) = default;
    };

    QString failure;
    QList<Start> started;

    bool startDetached(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory, QString* error) override
    {
        started.append({program, arguments, workingDirectory});
        if (!failure.isEmpty())
            *error = failure;
        return failure.isEmpty();
    }
};
