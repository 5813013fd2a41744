#include "core/browser/linkjoiner.h"

#include "core/browser/serverquerier.h"

LinkJoiner::LinkJoiner(QObject* parent) : QObject(parent), m_querier(new ServerQuerier(this))
{
    connect(m_querier, &ServerQuerier::entryReceived, this, [this](const ServerEntry& entry) {
        if (m_entry)
            return;
        m_entry = entry;
        Q_EMIT entryReceived(entry);
    });
    connect(m_querier, &ServerQuerier::socketError, this,
            [this](const QString& description) { Q_EMIT statusChanged(description); });
    connect(m_querier, &ServerQuerier::finished, this, [this] {
        finish(QStringLiteral("%1 did not answer within %2 s")
                   .arg(m_link.server.text())
                   .arg(m_querier->replyTimeout() / 1000.0));
    });
    connect(m_querier, &ServerQuerier::failed, this, [this](const QString& description) {
        finish(QStringLiteral("%1 could not be asked: %2").arg(m_link.server.text(), description));
    });
}

void LinkJoiner::join(const RfLink& link)
{
    stop();
    m_link = link;
    m_state = State::Asking;
    Q_EMIT statusChanged(QStringLiteral("Asking %1...").arg(link.server.text()));
    // Any free local port: the browser's own may be busy with a refresh.
    m_querier->start({link.server}, 0);
}

void LinkJoiner::stop()
{
    m_querier->stop();
    m_entry.reset();
    m_state = State::Idle;
}

void LinkJoiner::finish(const QString& silenceStatus)
{
    if (m_state != State::Asking)
        return;
    m_state = State::Idle;
    const LaunchRequest request{m_link.server, m_entry && m_entry->info.needsPassword(),
                                m_link.password, true};
    Q_EMIT statusChanged(m_entry ? QStringLiteral("Ready") : silenceStatus);
    m_entry.reset();
    Q_EMIT launchRequested(request);
}
