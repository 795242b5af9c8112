#include "clisettings.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSettings>

namespace {

constexpr char kSettingsFile[] = "Telvane.ini";
constexpr char kDefaultCmdFile[] = "cmds.json";
constexpr int kDefaultBaud = 115200;

// A bare name is a system port name ("ttyUSB0" is /dev/ttyUSB0), unless
// only a file of that name in the working directory exists.
QString portPath(const QString& strGiven)
{
    if (strGiven.contains(QLatin1Char('/')) || QFile::exists(QStringLiteral("/dev/") + strGiven)
        || !QFile::exists(strGiven))
        return strGiven;
    return QFileInfo(strGiven).absoluteFilePath();
}

}  // namespace

QSettings* openWindowSettings()
{
    auto* settings = new QSettings(QString::fromLatin1(kSettingsFile), QSettings::IniFormat);
    settings->setIniCodec("UTF-8");
    return settings;
}

PortChoice choosePort(const PortOverrides& given, QSettings& settings)
{
    PortChoice choice;
    choice.strPort = given.strPort.isEmpty() ? settings.value("port").toString() : portPath(given.strPort);
    bool bOk = false;
    const int nSavedBaud = settings.value("baud").toString().toInt(&bOk);
    choice.param.baudRate = given.nBaud.value_or(bOk && nSavedBaud > 0 ? nSavedBaud : kDefaultBaud);
    choice.param.dataBits = given.nDataBits.value_or(QSerialPort::Data8);
    choice.param.parity = given.nParity.value_or(QSerialPort::NoParity);
    choice.param.stopBits = given.nStopBits.value_or(QSerialPort::OneStop);
    choice.param.flowControl = given.nFlow.value_or(QSerialPort::NoFlowControl);
    return choice;
}

QString friendlyPortName(QSettings& settings, const QString& strSystem)
{
    const int nCount = settings.value("port_count", 0).toInt();
    for (int i = 0; i < nCount; ++i) {
        if (settings.value(QStringLiteral("port_%1").arg(i)).toString().compare(strSystem, Qt::CaseInsensitive) != 0)
            continue;
        const QString strName = settings.value(QStringLiteral("port_rename_%1").arg(i)).toString();
        return strName.compare(strSystem, Qt::CaseInsensitive) == 0 ? QString() : strName;
    }
    return {};
}

QString locateCmdFile(const QString& strGiven, QSettings& settings)
{
    if (!strGiven.isEmpty())
        return strGiven;
    if (settings.contains("json"))
        return settings.value("json").toString();
    if (!QFile::exists(QString::fromLatin1(kDefaultCmdFile)) && QFile::exists(QStringLiteral(TELVANE_INSTALLED_CMDS)))
        return QStringLiteral(TELVANE_INSTALLED_CMDS);
    return QString::fromLatin1(kDefaultCmdFile);
}
