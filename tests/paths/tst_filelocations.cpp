#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "filelocations.h"

// Every case builds its own folders below one temporary directory: the
// working directory "work", the user's "config" and "data", and two
// installed data folders "share1" and "share2".
class TestFileLocations : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void filesFollowPortableMode_data();
    void filesFollowPortableMode();
    void commandFileIsLookedUpInOrder_data();
    void commandFileIsLookedUpInOrder();
    void userFoldersComeFromTheEnvironment();
    void writableFileNeedsAFolderThatCanBeMade();

private:
    QString dir(const QString& name) const { return m_root->filePath(name); }
    void touch(const QString& path);
    FileLocations locations() const;
    std::unique_ptr<QTemporaryDir> m_root;
};

void TestFileLocations::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    for (const char* name : { "work", "config", "data", "share1", "share2" })
        QVERIFY(QDir(m_root->path()).mkpath(name));
}

void TestFileLocations::touch(const QString& path)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

FileLocations TestFileLocations::locations() const
{
    return FileLocations(dir("work"), dir("config"), dir("data"), { dir("share1"), dir("share2") });
}

void TestFileLocations::filesFollowPortableMode_data()
{
    QTest::addColumn<bool>("portable");
    QTest::addColumn<QString>("settingsDir");
    QTest::addColumn<QString>("payloadDir");
    QTest::newRow("Telvane.ini in the working directory") << true << "work" << "work";
    QTest::newRow("none there") << false << "config" << "data";
}

void TestFileLocations::filesFollowPortableMode()
{
    QFETCH(bool, portable);
    QFETCH(QString, settingsDir);
    QFETCH(QString, payloadDir);
    if (portable)
        touch(dir("work/Telvane.ini"));
    const FileLocations files = locations();
    QCOMPARE(files.isPortable(), portable);
    QCOMPARE(files.settingsPath(), dir(settingsDir + "/Telvane.ini"));
    QCOMPARE(files.payloadPath(), dir(payloadDir + "/data.bin"));
}

void TestFileLocations::commandFileIsLookedUpInOrder_data()
{
    QTest::addColumn<bool>("portable");
    QTest::addColumn<QStringList>("present");  // folders holding cmds.json
    QTest::addColumn<QString>("found");        // folder, or empty
    QTest::addColumn<QStringList>("searched");

    const QStringList all { "work", "config", "share1", "share2" };
    QTest::newRow("working directory first") << false << all << "work" << QStringList { "work" };
    QTest::newRow("then the config folder") << false << QStringList { "config", "share1" } << "config"
                                            << QStringList { "work", "config" };
    QTest::newRow("then the installed folders") << false << QStringList { "share2" } << "share2" << all;
    QTest::newRow("nowhere") << false << QStringList() << QString() << all;
    QTest::newRow("portable has no config folder") << true << QStringList { "config", "share1" } << "share1"
                                                   << QStringList { "work", "share1" };
}

void TestFileLocations::commandFileIsLookedUpInOrder()
{
    QFETCH(bool, portable);
    QFETCH(QStringList, present);
    QFETCH(QString, found);
    QFETCH(QStringList, searched);
    if (portable)
        touch(dir("work/Telvane.ini"));
    for (const QString& folder : present)
        touch(dir(folder + "/cmds.json"));
    if (!present.contains("work"))
        QVERIFY(QDir(dir("work")).mkpath("cmds.json"));  // a folder of that name is no file

    const FileLocations::Lookup lookup = locations().findShipped("cmds.json");
    QCOMPARE(lookup.strPath, found.isEmpty() ? QString() : dir(found + "/cmds.json"));
    QStringList expected;
    for (const QString& folder : searched)
        expected << dir(folder + "/cmds.json");
    QCOMPARE(lookup.searched, expected);
}

void TestFileLocations::userFoldersComeFromTheEnvironment()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir("config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir("data")));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(dir("share1")));
    QCoreApplication::setOrganizationName("Telvane");
    QCoreApplication::setApplicationName("Telvane");
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir("work"));
    QDir(dir("share1")).mkpath("telvane");
    touch(dir("share1/telvane/cmds.json"));
    const FileLocations files = FileLocations::forCurrentDirectory();
    QDir::setCurrent(old);

    QCOMPARE(files.settingsPath(), dir("config/Telvane/Telvane/Telvane.ini"));
    QCOMPARE(files.payloadPath(), dir("data/Telvane/Telvane/data.bin"));
    QCOMPARE(files.findShipped("cmds.json").strPath, dir("share1/telvane/cmds.json"));
    // An absolute name is taken as it is.
    QCOMPARE(files.findShipped(dir("share2/x.json")).searched, QStringList { dir("share2/x.json") });
}

void TestFileLocations::writableFileNeedsAFolderThatCanBeMade()
{
    QVERIFY(FileLocations::prepareWritable(dir("config/new/sub/Telvane.ini")));
    QVERIFY(QFileInfo(dir("config/new/sub")).isDir());
    touch(dir("blocker"));
    QVERIFY(!FileLocations::prepareWritable(dir("blocker/Telvane.ini")));
}

QTEST_GUILESS_MAIN(TestFileLocations)
#include "tst_filelocations.moc"
