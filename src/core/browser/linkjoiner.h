#pragma once

#include "core/browser/launchrequest.h"
#include "core/browser/rflink.h"
#include "core/browser/serverentry.h"

#include <QObject>
#include <QString>

#include <optional>

class ServerQuerier;

// Joins the server a link names: asks that one server for its info (the
// query's request, reply rules and time-out), hands its entry on for its row,
// then asks for the launch whether or not it answered: a server that is slow
// today may still take the player. A password from the link goes with it.
class LinkJoiner : public QObject
{
    Q_OBJECT
public:
    explicit LinkJoiner(QObject* parent = nullptr);

    // A join still waiting for its server is abandoned for the new one.
    void join(const RfLink& link);
    void stop();
    bool isAsking() const { return m_state == State::Asking; }

    // For its reply time-out.
    ServerQuerier* querier() const { return m_querier; }

Q_SIGNALS:
    void statusChanged(const QString& text);
    void entryReceived(const ServerEntry& entry);
    void launchRequested(const LaunchRequest& request);

private:
    enum class State
    {
        Idle,
        Asking,
    };

    void finish(const QString& silenceStatus);

    ServerQuerier* m_querier;
    State m_state = State::Idle;
    RfLink m_link;
    std::optional<ServerEntry> m_entry;
};
