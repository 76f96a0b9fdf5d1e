#include "core/PageEvents.h"

// Never deleted, on purpose: see the header.
CPageEvents& thePageEvents = *new CPageEvents;

void ResetPageEvents()
{
    thePageEvents.disconnect();
}

void CPageEventConnections::DisconnectAll()
{
    for (const QMetaObject::Connection& connection : m_connections)
        QObject::disconnect(connection);
    m_connections.clear();
}
