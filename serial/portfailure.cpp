#include "portfailure.h"
#include "workerserial.h"

#include <QCoreApplication>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Whether the permissions of the device node let this process read and
// write it; true where the platform does not say.
bool deviceAccessible(const QString& strDevice)
{
#ifdef Q_OS_UNIX
    // The effective ids decide the open, as for the serial port itself.
    return faccessat(AT_FDCWD, QFile::encodeName(strDevice).constData(), R_OK | W_OK, AT_EACCESS) == 0;
#else
    Q_UNUSED(strDevice)
    return true;
#endif
}

}  // namespace

QString portDevicePath(const QString& strPort)
{
#ifdef Q_OS_UNIX
    if (!strPort.startsWith('/'))
        return QStringLiteral("/dev/") + strPort;
#endif
    return strPort;
}

int openFailureCode(QSerialPort::SerialPortError error, const QString& strDevice)
{
    if (error != QSerialPort::PermissionError)
        return PortOpenFailed;
    return deviceAccessible(strDevice) ? PortBusy : PortNoPermission;
}

QString openFailureReason(int nCode, const QString& strSystemText, const QString& strDevice)
{
    if (nCode != PortNoPermission)
        return strSystemText;
    const QString strGroup = QFileInfo(strDevice).group();
    const QString strHint = strGroup.isEmpty()
                                ? QCoreApplication::translate("PortFailure", "当前用户没有读写 %1 的权限").arg(strDevice)
                                : QCoreApplication::translate("PortFailure",
                                                              "当前用户需加入设备 %1 所属的组 %2 (例如 dialout), 重新登录后生效")
                                      .arg(strDevice, strGroup);
    return strSystemText.isEmpty() ? strHint : QStringLiteral("%1\n%2").arg(strHint, strSystemText);
}

QString lostPortReason(QSerialPort::SerialPortError error, const QString& strSystemText)
{
    switch (error) {
    case QSerialPort::ResourceError:
        return QCoreApplication::translate("PortFailure", "设备已拔出或不再可用");
    case QSerialPort::ReadError:
        return QCoreApplication::translate("PortFailure", "读取数据出错, 设备可能已断开");
    case QSerialPort::WriteError:
        return QCoreApplication::translate("PortFailure", "写入数据出错");
    case QSerialPort::DeviceNotFoundError:
        return QCoreApplication::translate("PortFailure", "设备不存在");
    case QSerialPort::PermissionError:
        return QCoreApplication::translate("PortFailure", "没有访问设备的权限");
    case QSerialPort::TimeoutError:
        return QCoreApplication::translate("PortFailure", "操作超时");
    default:
        return strSystemText;
    }
}
