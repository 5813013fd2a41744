#pragma once

#include "core/browser/launchprompts.h"

class QWidget;

// The launch questions and notices as modal message boxes over the main
// window, titled with the application's name; the address for the stock game
// goes on the clipboard.
class MessageBoxPrompts : public LaunchPrompts
{
public:
    explicit MessageBoxPrompts(QWidget* parent) : m_parent(parent) {}

    bool confirmStart() override;
    bool confirmJoin(const ServerEndpoint& server) override;
    void reportMissingDirectory() override;
    void reportStartFailure(const QString& why) override;
    std::optional<QString> askPassword(const ServerEndpoint& server) override;
    void reportUnusablePassword(RfLink::PasswordProblem problem) override;
    void reportBadLink(RfLink::Error error) override;
    void offerAddress(const ServerEndpoint& server) override;

    // Why a link cannot be used, in one sentence.
    static QString badLinkText(RfLink::Error error);

private:
    QWidget* m_parent;
};
