#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include "portparam.h"

// What the worker needs from a port, whatever carries it: a local serial
// device or a TCP connection. Settings given while closed are kept and
// applied at open; given while open, they apply at once. The open is
// blocking (it runs in the worker thread).
class PortBackend : public QObject
{
    Q_OBJECT
public:
    // A local device for a plain name, a network port for a socket:// or
    // rfc2217:// name. Owned by the caller.
    static PortBackend* create(const QString& strPort);
    // Whether a backend made for strOld can open strNew.
    static bool sameKind(const QString& strOld, const QString& strNew);

    using QObject::QObject;

    virtual QString portName() const = 0;
    virtual void setPortName(const QString& strPort) = 0;
    virtual bool open() = 0;
    // Waits until what was written has left the far device, then closes.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual bool setBaudRate(qint32 nBaud) = 0;
    virtual bool setDataBits(qint32 nBits) = 0;
    virtual bool setStopBits(qint32 nStop) = 0;
    virtual bool setParity(qint32 nParity) = 0;
    virtual bool setFlowControl(qint32 nFlow) = 0;
    virtual PortParam settings() const = 0;
    virtual void setReadBufferSize(qint64 nSize) = 0;

    virtual qint64 write(const QByteArray& data) = 0;
    virtual qint64 bytesToWrite() const = 0;
    virtual bool waitForBytesWritten(int nMs) = 0;
    // Blocks until every written byte has left for the device, or nTimeoutMs passed.
    bool flush(int nTimeoutMs);
    virtual QByteArray readAll() = 0;

    // The reason of the last failure, in the system's words.
    virtual QString errorString() const = 0;
    // openState code of a failed open (a PortOpenResult) and its reason for
    // the operator.
    virtual int openFailureCode() const { return -8; }
    virtual QString openFailureReason() const { return errorString(); }
    // The modem control lines, where the port has them.
    virtual void setModemLines(bool bDtr, bool bRts) { Q_UNUSED(bDtr) Q_UNUSED(bRts) }

    void applySettings(const PortParam& param);

signals:
    void readyRead();
    // The device or the connection went away while open; close() is still
    // the owner's job.
    void lost(QString strReason);
};
