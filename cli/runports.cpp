// ports: what the system offers, named as the window names them.

#include "clioutput.h"
#include "exitcodes.h"
#include "portdetails.h"
#include "portentry.h"
#include "clisettings.h"
#include "runners.h"

#include <QJsonObject>

int runPorts(const CliContext& ctx)
{
    QList<PortEntry> ports = platformPorts();
    // A path given with --port is listed too, as the window lists it.
    const QString strGiven = ctx.args.port.strPort;
    bool bListed = strGiven.isEmpty();
    for (const PortEntry& e : ports)
        bListed = bListed || e.strSystem == strGiven || e.info.systemLocation() == strGiven;
    if (!bListed)
        ports.append(PortEntry { strGiven, false, {} });

    for (const PortEntry& e : ports) {
        const PortDetails d = describePort(e.strSystem);
        const QString strFriendly = friendlyPortName(ctx.settings, e.strSystem);
        const QString strLine = QStringLiteral("%1\t%2\t%3\t%4")
                                    .arg(e.strSystem, strFriendly.isEmpty() ? QStringLiteral("-") : strFriendly,
                                         d.strDescription.isEmpty() ? QStringLiteral("-") : d.strDescription,
                                         e.bBusy ? QStringLiteral("busy") : QStringLiteral("free"));
        ctx.out.record(strLine, "port",
                       { { QStringLiteral("name"), e.strSystem },
                         { QStringLiteral("location"), d.strLocation },
                         { QStringLiteral("friendly"), strFriendly },
                         { QStringLiteral("description"), d.strDescription },
                         { QStringLiteral("busy"), e.bBusy } });
    }
    return ctx.out.finish(cliexit::kOk, { { QStringLiteral("count"), ports.size() } });
}
