#include "portdetails.h"

#include <QCoreApplication>
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
    // One template per kind so that a translation can align its own labels.
    if (d.bNetwork) {
        return QCoreApplication::translate("PortDetails", "\n端口:\t  %1\n协议:\t  %2\n主机:\t  %3\n网络端口: %4")
            .arg(d.strName, orNA(d.strProtocol), orNA(d.strHost),
                 d.nNetPort ? QString::number(d.nNetPort) : QStringLiteral("N/A"));
    }
    return QCoreApplication::translate("PortDetails",
                                       "\n端口:\t  %1\n位置:\t  %2\n描述:\t  %3\n厂家:\t  %4\n序列号:\t  %5"
                                       "\n供应商ID: %6\n产品ID:\t  %7\n忙:\t  %8")
        .arg(d.strName, d.strLocation, orNA(d.strDescription), orNA(d.strManufacturer), orNA(d.strSerial),
             hexOrNA(d.bHasVendor, d.nVendor), hexOrNA(d.bHasProduct, d.nProduct),
             d.bBusy ? QCoreApplication::translate("PortDetails", "是")
                     : QCoreApplication::translate("PortDetails", "否"));
}
