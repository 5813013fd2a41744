#pragma once

#include "core/browser/launchprompts.h"

class QWidget;

// The launch questions and notices as modal message boxes over the main
// window, titled with the application's name.
class MessageBoxPrompts : public LaunchPrompts
{
public:
    explicit MessageBoxPrompts(QWidget* parent) : m_parent(parent) {}

    bool confirmStart() override;
    void reportMissingDirectory() override;
    void reportStartFailure(const QString& why) override;

private:
    QWidget* m_parent;
};
