#pragma once

#include "core/browser/launchprompts.h"

#include <QStringList>

// Answers the launch questions as a test sets them and logs every question
// and notice in order, e.g. "start", "join 127.0.0.1:7755", "password
// 127.0.0.1:7755", "missing", "failure <why>", "unusable 1", "bad link 4",
// "offer 127.0.0.1:7755" (numbers: the enum's value).
class ScriptedPrompts : public LaunchPrompts
{
public:
    bool answerOk = true;
    // Typed into the password dialog; nothing: Cancel.
    std::optional<QString> password;
    QStringList log;

    bool confirmStart() override
    {
        log << QStringLiteral("start");
        return answerOk;
    }
    bool confirmJoin(const ServerEndpoint& server) override
    {
        log << QStringLiteral("join ") + server.text();
        return answerOk;
    }
    void reportMissingDirectory() override { log << QStringLiteral("missing"); }
    void reportStartFailure(const QString& why) override
    {
        log << QStringLiteral("failure ") + why;
    }
    std::optional<QString> askPassword(const ServerEndpoint& server) override
    {
        log << QStringLiteral("password ") + server.text();
        return password;
    }
    void reportUnusablePassword(RfLink::PasswordProblem problem) override
    {
        log << QStringLiteral("unusable %1").arg(int(problem));
    }
    void reportBadLink(RfLink::Error error) override
    {
        log << QStringLiteral("bad link %1").arg(int(error));
    }
    void offerAddress(const ServerEndpoint& server) override
    {
        log << QStringLiteral("offer ") + server.text();
    }
};
