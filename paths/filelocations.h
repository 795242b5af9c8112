#pragma once

#include <QString>
#include <QStringList>

// Knows where the program's files live. Portable mode (a Telvane.ini in the
// working directory) keeps everything in that directory; otherwise settings
// go to the user's config folder and written data to the app's data folder,
// and shipped files are looked up in the working directory, the config
// folder, then the installed data folders.
class FileLocations
{
public:
    static constexpr char kSettingsName[] = "Telvane.ini";
    static constexpr char kPayloadName[] = "data.bin";

    // Uses QStandardPaths for the application's organization and name (set
    // them first) and the data folder installed beside the executable.
    static FileLocations forCurrentDirectory();

    FileLocations(const QString& strWorkDir, const QString& strConfigDir, const QString& strDataDir,
                  const QStringList& shippedDirs);

    bool isPortable() const { return m_bPortable; }
    QString settingsPath() const;
    QString payloadPath() const;

    // A relative name is looked up in order; an absolute one is taken as it
    // is. searched lists every path tried, for the message when none exists.
    struct Lookup
    {
        QString strPath;  // empty: not found
        QStringList searched;
    };
    Lookup findShipped(const QString& strName) const;

    // Creates the folder of a file if needed; false when the file cannot be
    // written there.
    static bool prepareWritable(const QString& strFile);

private:
    QString m_strWorkDir;
    QString m_strConfigDir;
    QString m_strDataDir;
    QStringList m_shippedDirs;
    bool m_bPortable = false;
};
