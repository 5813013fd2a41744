#pragma once

#include "core/browser/launchprompts.h"

#include <QStringList>

// Answers the launch questions as a test sets them and logs each one: "start", "join HOST:PORT",
// "password HOST:PORT", "missing", "failure WHY", "unusable N", "bad link N", "offer HOST:PORT".
class ScriptedPrompts : public LaunchPrompts
{
public:
    bool answerOk = true;
    std::optional<QString> password; // typed into the password dialog; nothing: Cancel
    QStringList log;

    bool confirmStart() override { return (log << QStringLiteral("start"), answerOk); }
    bool confirmJoin(const ServerEndpoint& at) override
    {
        return (log << QStringLiteral("join ") + at.text(), answerOk);
    }
    void reportMissingDirectory() override { log << QStringLiteral("missing"); }
    void reportStartFailure(const QString& why) override
    {
        log << QStringLiteral("failure ") + why;
    }
    std::optional<QString> askPassword(const ServerEndpoint& at) override
    {
        return (log << QStringLiteral("password ") + at.text(), password);
    }
    void reportUnusablePassword(RfLink::PasswordProblem problem) override
    {
        log << QStringLiteral("unusable %1").arg(int(problem));
    }
    void reportBadLink(RfLink::Error error) override
    {
        log << QStringLiteral("bad link %1").arg(int(error));
    }
    void offerAddress(const ServerEndpoint& at) override
    {
        log << QStringLiteral("offer ") + at.text();
    }
};
