#include "portdetails.h"

#include <QSerialPortInfo>

#include "netportaddress.h"

namespace {

QString orNA(const QString& str)
{
    return str.isEmpty() ? QStringLiteral("N/A") : str;
}

QString hexOrNA(bool bHas, quint16 nId)
{
    return bHas ? QString::number(nId, 16) : QStringLiteral("N/A");
}

}  // namespace

PortDetails describePort(const QString& strSystem)
{
    PortDetails d;
    if (isNetPortName(strSystem)) {
        const NetPortAddress addr = parseNetPort(strSystem);
        d.strName = strSystem;
        d.bNetwork = true;
        d.strProtocol = netProtocolText(addr.protocol);
        d.strHost = addr.strHost;
        d.nNetPort = addr.nPort;
        return d;
    }
    const QSerialPortInfo info(strSystem);
    if (info.isNull()) {
        d.strName = strSystem;
        d.strLocation = strSystem;
        return d;
    }
    d.strName = info.portName();
    d.strLocation = info.systemLocation();
    d.strDescription = info.description();
    d.strManufacturer = info.manufacturer();
    d.strSerial = info.serialNumber();
    d.bHasVendor = info.hasVendorIdentifier();
    d.nVendor = info.vendorIdentifier();
    d.bHasProduct = info.hasProductIdentifier();
    d.nProduct = info.productIdentifier();
    d.bBusy = info.isBusy();
    return d;
}

QString portInfoText(const PortDetails& d)
{
    if (d.bNetwork) {
        return QStringLiteral("\n端口:\t  ") + d.strName
            + QStringLiteral("\n协议:\t  ") + orNA(d.strProtocol)
            + QStringLiteral("\n主机:\t  ") + orNA(d.strHost)
            + QStringLiteral("\n网络端口: ") + (d.nNetPort ? QString::number(d.nNetPort) : QStringLiteral("N/A"));
    }
    return QStringLiteral("\n端口:\t  ") + d.strName
        + QStringLiteral("\n位置:\t  ") + d.strLocation
        + QStringLiteral("\n描述:\t  ") + orNA(d.strDescription)
        + QStringLiteral("\n厂家:\t  ") + orNA(d.strManufacturer)
        + QStringLiteral("\n序列号:\t  ") + orNA(d.strSerial)
        + QStringLiteral("\n供应商ID: ") + hexOrNA(d.bHasVendor, d.nVendor)
        + QStringLiteral("\n产品ID:\t  ") + hexOrNA(d.bHasProduct, d.nProduct)
        + QStringLiteral("\n忙:\t  ") + (d.bBusy ? QStringLiteral("是") : QStringLiteral("否"));
}
