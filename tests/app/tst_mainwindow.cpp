#include "mainwindow.h"

#include "cfgserial.h"
#include "dtuframe.h"
#include "filetrans.h"
#include "ptypair.h"
#include "rxtx.h"
#include "startup.h"
#include "workerserial.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QFile>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include <memory>

namespace {

// The offscreen screen (800 x 600) is smaller than the unstyled window's
// minimum size, so geometry tests name a screen of their own.
const QRect kScreen(0, 0, 1920, 1040);

}  // namespace

// Each case runs in a fresh working directory holding an empty Telvane.ini
// (portable mode), with the user's folders inside it too.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsWithDefaultsWithoutSettingsFile();
    void closeWritesGeometryAndNeverTheReadOnlyKeys();
    void closeWhileMaximizedKeepsEarlierGeometry();
    void closeWhileMinimizedRestoresMinimized();
    void emptyTitleLeavesOnlyTheVersion();
    void titleIsReadAsUtf8();
    void logGoesToStatusBarUnlessEmpty();
    void tabsFollowSettings_data();
    void tabsFollowSettings();
    void pagesReachThePortThroughTheWorker();
    void sendingWhileClosedWarns();
    void closingReleasesThePort();

private:
    std::unique_ptr<QSettings> ini() const;
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_oldDir;
};

std::unique_ptr<QSettings> TestMainWindow::ini() const
{
    auto s = std::make_unique<QSettings>("Telvane.ini", QSettings::IniFormat);
    s->setIniCodec("UTF-8");
    return s;
}

void TestMainWindow::init()
{
    setApplicationNames(*qApp);
    m_oldDir = QDir::currentPath();
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    QDir::setCurrent(m_dir->path());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath("config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath("data")));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(m_dir->filePath("installed")));
    QFile ini("Telvane.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly));
}

void TestMainWindow::cleanup()
{
    QDir::setCurrent(m_oldDir);
    m_dir.reset();
}

void TestMainWindow::startsWithDefaultsWithoutSettingsFile()
{
    MainWindow w;
    w.setScreenAreas({ kScreen });
    w.show();
    QCOMPARE(w.windowTitle(), QString("Telvane工具 V1.3.0"));
    // Centred 640 x 660; unstyled, the window's minimum height is larger.
    QCOMPARE(w.pos(), QPoint(640, 190));
    QCOMPARE(w.width(), 640);
    QCOMPARE(w.windowState(), Qt::WindowNoState);
    QVERIFY(w.findChild<QTabWidget*>("tabWidget"));
    QCOMPARE(w.findChild<QWidget*>("groupCfgSerial")->property("title").toString(), QString(" 串口设置"));
}

void TestMainWindow::closeWritesGeometryAndNeverTheReadOnlyKeys()
{
    {
        MainWindow w;
        w.setScreenAreas({ kScreen });
        w.show();
        w.move(100, 120);
        w.resize(660, 730);
        QVERIFY(w.close());
    }
    {
        auto s = ini();
        QCOMPARE(s->value("pos").toPoint(), QPoint(100, 120));
        QCOMPARE(s->value("size").toSize(), QSize(660, 730));
        QCOMPARE(s->value("Maximized").toInt(), 0);
        for (const char* key : { "title", "json", "TabPicTrans", "TabPicTransTest", "TabDtuCfg" })
            QVERIFY2(!s->contains(key), key);
    }

    MainWindow again;
    again.setScreenAreas({ kScreen });
    again.show();
    QCOMPARE(again.pos(), QPoint(100, 120));
    QCOMPARE(again.size(), QSize(660, 730));
}

void TestMainWindow::closeWhileMaximizedKeepsEarlierGeometry()
{
    {
        auto s = ini();
        s->setValue("pos", QPoint(10, 20));
        s->setValue("size", QSize(800, 600));
    }
    {
        MainWindow w;
        w.show();
        w.setWindowState(Qt::WindowMaximized);
        QVERIFY(w.close());
    }
    {
        auto s = ini();
        QCOMPARE(s->value("Maximized").toInt(), 2);
        QCOMPARE(s->value("pos").toPoint(), QPoint(10, 20));
        QCOMPARE(s->value("size").toSize(), QSize(800, 600));
    }
    MainWindow again;
    again.show();
    QVERIFY(again.windowState() & Qt::WindowMaximized);
}

void TestMainWindow::closeWhileMinimizedRestoresMinimized()
{
    {
        MainWindow w;
        w.show();
        w.setWindowState(Qt::WindowMinimized);
        QVERIFY(w.close());
    }
    QCOMPARE(ini()->value("Maximized").toInt(), 1);
    MainWindow again;
    again.show();
    QVERIFY(again.windowState() & Qt::WindowMinimized);
}

void TestMainWindow::emptyTitleLeavesOnlyTheVersion()
{
    ini()->setValue("title", QString());
    MainWindow w;
    w.show();
    QCOMPARE(w.windowTitle(), QString(" V1.3.0"));
}

void TestMainWindow::titleIsReadAsUtf8()
{
    QFile file("Telvane.ini");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("title=\xE4\xB8\xB2\xE5\x8F\xA3\xE5\x8A\xA9\xE6\x89\x8B\n");  // 串口助手
    file.close();
    MainWindow w;
    w.show();
    QCOMPARE(w.windowTitle(), QString("串口助手 V1.3.0"));
}

void TestMainWindow::logGoesToStatusBarUnlessEmpty()
{
    MainWindow w;
    w.show();
    w.setLog("文件加载成功");
    QCOMPARE(w.statusBar()->currentMessage(), QString("文件加载成功"));
    w.setLog(QString());
    QCOMPARE(w.statusBar()->currentMessage(), QString("文件加载成功"));
}

namespace {

const char kCmds[] = R"({"mode":"list","cmd":[{"name":"Radio","param":[
    {"name":"channel","type":"uint8_t","num":1,"show":"十进制正整数"}],
    "query":{"ctl2":33,"res":[0]}}]})";

void writeFile(const QString& name, const QByteArray& content)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QStringList tabTexts(MainWindow& w)
{
    auto* tabs = w.findChild<QTabWidget*>("tabWidget");
    QStringList texts;
    for (int i = 0; i < tabs->count(); ++i)
        texts << tabs->tabText(i);
    return texts;
}

// Descriptors of this process that point at path.
int openDescriptors(const QString& path)
{
    int n = 0;
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        n += fd.symLinkTarget() == path;
    return n;
}

// Opens the first offered port (the pty) through the panel's button.
bool openThroughPanel(MainWindow& w)
{
    auto* button = w.findChild<QPushButton*>("pbConnect");
    if (!button)
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return QTest::qWaitFor([&] { return w.worker()->isOpen(); }, 5000);
}

}  // namespace

void TestMainWindow::tabsFollowSettings_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QByteArray>("cmds");
    QTest::addColumn<QStringList>("tabs");

    const QByteArray cmds(kCmds);
    QTest::newRow("defaults, no command file") << QByteArray() << QByteArray()
                                               << QStringList { "收发数据", "发送图片" };
    QTest::newRow("defaults with command file") << QByteArray() << cmds
                                                << QStringList { "收发数据", "命令配置", "发送图片" };
    QTest::newRow("invalid command file") << QByteArray() << QByteArray("{\"cmd\": 5}")
                                          << QStringList { "收发数据", "发送图片" };
    QTest::newRow("command tab off") << QByteArray("TabDtuCfg=false\n") << cmds
                                     << QStringList { "收发数据", "发送图片" };
    QTest::newRow("image tab off") << QByteArray("TabPicTrans=false\n") << cmds
                                   << QStringList { "收发数据", "命令配置" };
    QTest::newRow("test tab on") << QByteArray("TabPicTransTest=true\n") << cmds
                                 << QStringList { "收发数据", "命令配置", "发送图片", "发送测试" };
    QTest::newRow("everything but the terminal off")
        << QByteArray("TabPicTransTest=false\nTabPicTrans=false\nTabDtuCfg=false\n") << cmds
        << QStringList { "收发数据" };
    QTest::newRow("file named in settings") << QByteArray("json=other.json\n") << QByteArray()
                                            << QStringList { "收发数据", "命令配置", "发送图片" };
}

void TestMainWindow::tabsFollowSettings()
{
    QFETCH(QByteArray, ini);
    QFETCH(QByteArray, cmds);
    QFETCH(QStringList, tabs);
    writeFile("Telvane.ini", ini);
    if (!cmds.isEmpty())
        writeFile("cmds.json", cmds);
    writeFile("other.json", kCmds);
    MainWindow w;
    w.show();
    QCOMPARE(tabTexts(w), tabs);
    QCOMPARE(w.findChild<QTabWidget*>("tabWidget")->currentIndex(), 0);
}

void TestMainWindow::pagesReachThePortThroughTheWorker()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    MainWindow w({ pty.portPath() });
    w.show();
    QVERIFY(openThroughPanel(w));

    // Terminal page -> worker -> device.
    auto* terminal = w.findChild<RxTx*>("tabRxTx");
    terminal->findChild<QTextEdit*>("textEditTx")->setPlainText("AA 1 02");
    QTest::mouseClick(terminal->findChild<QPushButton*>("pbSend"), Qt::LeftButton);
    QCOMPARE(pty.read(3).toHex(' '), QByteArray("aa 01 02"));

    // Device -> worker -> terminal page (raw chunk) and image page (frame).
    QByteArray report(4, '\0');
    report[0] = 7;
    report.append('\0');
    QVERIFY(pty.write(encodeFrame(7, dtu::kCtlDisplayState, report)));
    auto* log = w.findChild<FileTrans*>("tabFileTrans")->findChild<QTextEdit*>("textEditLog");
    QTRY_VERIFY_WITH_TIMEOUT(log->toPlainText().contains("墨水屏 #7 状态: 刷屏成功"), 5000);
    auto* rx = w.findChild<QTextEdit*>("textEditRx");
    QTRY_VERIFY_WITH_TIMEOUT(rx->toPlainText().contains("AA 01 07 00 00 00 AA 05 00 07 00 00 00 00"), 5000);
}

void TestMainWindow::sendingWhileClosedWarns()
{
    MainWindow w;
    QStringList messages;
    w.setMessageHook([&](QMessageBox::Icon, const QString& title, const QString& text) { messages << title + ":" + text; });
    w.show();
    auto* terminal = w.findChild<RxTx*>("tabRxTx");
    terminal->findChild<QTextEdit*>("textEditTx")->setPlainText("01");
    QTest::mouseClick(terminal->findChild<QPushButton*>("pbSend"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(messages, QStringList { "告警:请先打开串口" }, 5000);
}

void TestMainWindow::closingReleasesThePort()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    const int before = openDescriptors(pty.portPath());
    {
        MainWindow w({ pty.portPath() });
        w.show();
        QVERIFY(openThroughPanel(w));
        QCOMPARE(openDescriptors(pty.portPath()), before + 1);
        QVERIFY(w.close());
    }
    QCOMPARE(openDescriptors(pty.portPath()), before);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
