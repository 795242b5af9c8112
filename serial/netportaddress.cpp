#include "netportaddress.h"

#include <QUrl>

namespace {

NetPortAddress::Protocol schemeOf(const QString& strPort)
{
    if (strPort.startsWith(QLatin1String("socket://"), Qt::CaseInsensitive))
        return NetPortAddress::RawTcp;
    if (strPort.startsWith(QLatin1String("rfc2217://"), Qt::CaseInsensitive))
        return NetPortAddress::Rfc2217;
    return NetPortAddress::None;
}

}  // namespace

bool isNetPortName(const QString& strPort)
{
    return schemeOf(strPort) != NetPortAddress::None;
}

NetPortAddress parseNetPort(const QString& strPort)
{
    NetPortAddress addr;
    const NetPortAddress::Protocol protocol = schemeOf(strPort);
    if (protocol == NetPortAddress::None)
        return addr;
    const QUrl url(strPort, QUrl::StrictMode);
    const int nPort = url.port(-1);
    const QString strPath = url.path();
    if (!url.isValid() || url.host().isEmpty() || nPort < 1 || nPort > 65535 || !url.userInfo().isEmpty()
        || url.hasQuery() || url.hasFragment() || !(strPath.isEmpty() || strPath == QLatin1String("/")))
        return addr;
    addr.protocol = protocol;
    addr.strHost = url.host();
    addr.nPort = quint16(nPort);
    return addr;
}

QString netProtocolText(NetPortAddress::Protocol protocol)
{
    switch (protocol) {
    case NetPortAddress::RawTcp:
        return QStringLiteral("TCP");
    case NetPortAddress::Rfc2217:
        return QStringLiteral("RFC 2217");
    case NetPortAddress::None:
        break;
    }
    return QString();
}
