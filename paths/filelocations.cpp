#include "filelocations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

constexpr char FileLocations::kSettingsName[];
constexpr char FileLocations::kPayloadName[];

namespace {

constexpr char kShippedFolder[] = "telvane";

}  // namespace

FileLocations FileLocations::forCurrentDirectory()
{
    // An installed program finds its data folder relative to itself first,
    // so that any install prefix works, then in the system's data folders.
    QStringList shipped;
    const QString strAppDir = QCoreApplication::applicationDirPath();
    if (!strAppDir.isEmpty())
        shipped << QDir::cleanPath(strAppDir + "/../share/" + kShippedFolder);
    for (const QString& strDir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString strPath = QDir::cleanPath(strDir + '/' + kShippedFolder);
        if (!shipped.contains(strPath))
            shipped << strPath;
    }
    return FileLocations(QDir::currentPath(),
                         QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
                         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), shipped);
}

FileLocations::FileLocations(const QString& strWorkDir, const QString& strConfigDir,
                             const QString& strDataDir, const QStringList& shippedDirs)
    : m_strWorkDir(strWorkDir)
    , m_strConfigDir(strConfigDir)
    , m_strDataDir(strDataDir)
    , m_shippedDirs(shippedDirs)
    , m_bPortable(QFileInfo::exists(QDir(strWorkDir).filePath(kSettingsName)))
{
}

QString FileLocations::settingsPath() const
{
    return QDir(m_bPortable ? m_strWorkDir : m_strConfigDir).filePath(kSettingsName);
}

QString FileLocations::payloadPath() const
{
    return QDir(m_bPortable ? m_strWorkDir : m_strDataDir).filePath(kPayloadName);
}

FileLocations::Lookup FileLocations::findShipped(const QString& strName) const
{
    Lookup lookup;
    if (strName.isEmpty())
        return lookup;
    if (QDir::isAbsolutePath(strName)) {
        lookup.searched << strName;
        if (QFileInfo::exists(strName))
            lookup.strPath = strName;
        return lookup;
    }
    // Portable mode has no config folder of its own; the installed copy
    // still serves when the working directory has none.
    QStringList dirs { m_strWorkDir };
    if (!m_bPortable)
        dirs << m_strConfigDir;
    dirs << m_shippedDirs;
    for (const QString& strDir : qAsConst(dirs)) {
        const QString strPath = QDir(strDir).filePath(strName);
        lookup.searched << strPath;
        if (QFileInfo(strPath).isFile()) {
            lookup.strPath = strPath;
            break;
        }
    }
    return lookup;
}

bool FileLocations::prepareWritable(const QString& strFile)
{
    const QFileInfo info(strFile);
    if (info.exists())
        return info.isFile() && info.isWritable();
    const QString strDir = info.absolutePath();
    return QDir().mkpath(strDir) && QFileInfo(strDir).isWritable();
}
