#pragma once

#include "core/browser/processstarter.h"

// Starts Windows programs: on Windows directly, minimized with focus and
// without an elevation prompt; on other systems through the `wine` found on
// the PATH.
class SystemProcessStarter : public ProcessStarter
{
public:
    bool startDetached(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory, QString* error) override;
};
