#include "clisettings.h"
#include "filelocations.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSettings>

namespace {

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

// Where the window keeps its files: asked under the window's own names, since
// the standard folders are named after the application.
FileLocations windowLocations()
{
    const QString strApp = QCoreApplication::applicationName();
    const QString strOrg = QCoreApplication::organizationName();
    QCoreApplication::setApplicationName(QStringLiteral("Telvane"));
    QCoreApplication::setOrganizationName(QStringLiteral("Telvane"));
    FileLocations locations = FileLocations::forCurrentDirectory();
    QCoreApplication::setApplicationName(strApp);
    QCoreApplication::setOrganizationName(strOrg);
    return locations;
}

}  // namespace

QSettings* openWindowSettings()
{
    auto* settings = new QSettings(windowLocations().settingsPath(), QSettings::IniFormat);
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
    const QString strName = settings.value("json", QString::fromLatin1(kDefaultCmdFile)).toString();
    const FileLocations::Lookup found = windowLocations().findShipped(strName);
    return found.strPath.isEmpty() ? strName : found.strPath;
}
