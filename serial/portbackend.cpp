#include "portbackend.h"

#include "netportaddress.h"
#include "serialbackend.h"
#include "tcpbackend.h"

#include <QElapsedTimer>

PortBackend* PortBackend::create(const QString& strPort)
{
    if (isNetPortName(strPort))
        return new TcpBackend;
    return new SerialBackend;
}

bool PortBackend::sameKind(const QString& strOld, const QString& strNew)
{
    return isNetPortName(strOld) == isNetPortName(strNew);
}

void PortBackend::applySettings(const PortParam& param)
{
    setBaudRate(param.baudRate);
    setDataBits(param.dataBits);
    setStopBits(param.stopBits);
    setParity(param.parity);
    setFlowControl(param.flowControl);
}

bool PortBackend::flush(int nTimeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (bytesToWrite() > 0) {
        const qint64 nLeft = nTimeoutMs - clock.elapsed();
        if (nLeft <= 0 || !waitForBytesWritten(int(nLeft)))
            return false;
    }
    return true;
}
