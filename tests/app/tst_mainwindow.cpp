#include "mainwindow.h"

#include "cfgserial.h"
#include "dtuframe.h"
#include "filetrans.h"
#include "ptypair.h"
#include "rxtx.h"
#include "startup.h"
#include "workerserial.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QSplitter>
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
    void commandFileProblemsAreReported_data();
    void commandFileProblemsAreReported();
    void withoutPortableFileSettingsGoToTheConfigFolder();
    void unwritableSettingsAreReported();
    void badStoredValuesFallBackToDefaults_data();
    void badStoredValuesFallBackToDefaults();
    void viewMenuShowsAndHidesImagePages();
    void languageMenuKeepsTheChoice_data();
    void languageMenuKeepsTheChoice();
    void closeDuringTransferAsksFirst_data();
    void closeDuringTransferAsksFirst();

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
    // Stray keys must not rename the port.
    QVERIFY(w.focusWidget());
    QVERIFY(w.focusWidget() != w.findChild<QWidget*>("cmbPort"));
    QVERIFY(!w.findChild<QWidget*>("cmbPort")->isAncestorOf(w.focusWidget()));
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

void TestMainWindow::commandFileProblemsAreReported_data()
{
    QTest::addColumn<bool>("portable");
    QTest::addColumn<QString>("folder");  // where cmds.json is put; empty: nowhere
    QTest::addColumn<QByteArray>("cmds");
    QTest::addColumn<QString>("message");  // status bar; %1 the temporary folder

    QTest::newRow("missing, portable")
        << true << QString() << QByteArray()
        << "未找到命令文件 cmds.json (查找了 %1/cmds.json, %2, %1/data/telvane/cmds.json, "
           "%1/installed/telvane/cmds.json)";
    QTest::newRow("broken JSON")
        << true << "." << QByteArray("{\"cmd\": [")
        << "命令文件 %1/cmds.json 有误: JSON 格式错误 (第 9 字节): unterminated array";
    QTest::newRow("breaks a rule") << true << "." << QByteArray("{\"cmd\": 5}")
                                   << "命令文件 %1/cmds.json 有误: 缺少 \"cmd\" 数组";
    QTest::newRow("installed copy serves") << false << "installed/telvane" << QByteArray(kCmds) << QString();
    QTest::newRow("copy in the config folder serves")
        << false << "config/Telvane/Telvane" << QByteArray(kCmds) << QString();
}

void TestMainWindow::commandFileProblemsAreReported()
{
    QFETCH(bool, portable);
    QFETCH(QString, folder);
    QFETCH(QByteArray, cmds);
    QFETCH(QString, message);
    if (!portable)
        QVERIFY(QFile::remove("Telvane.ini"));
    if (!folder.isEmpty()) {
        QVERIFY(QDir().mkpath(folder));
        writeFile(folder + "/cmds.json", cmds);
    }
    const QString dir = m_dir->path();
    // Beside the program, then the user's and the system's data folders.
    const QString besideProgram = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/telvane/cmds.json");
    const QString expected = message.isEmpty() ? QString()
                                               : message.arg(dir, besideProgram) + ", 已隐藏\"命令配置\"页";
    if (!expected.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(expected.section(", 已隐藏", 0, 0)));
    MainWindow w;
    w.show();
    QCOMPARE(w.statusBar()->currentMessage(), expected);
    QCOMPARE(tabTexts(w).contains("命令配置"), expected.isEmpty());
}

void TestMainWindow::withoutPortableFileSettingsGoToTheConfigFolder()
{
    QVERIFY(QFile::remove("Telvane.ini"));
    {
        MainWindow w;
        w.show();
        QVERIFY(w.close());
    }
    QVERIFY(!QFile::exists("Telvane.ini"));
    QSettings saved(m_dir->filePath("config/Telvane/Telvane/Telvane.ini"), QSettings::IniFormat);
    QVERIFY(saved.contains("Maximized"));
}

void TestMainWindow::unwritableSettingsAreReported()
{
    QVERIFY(QFile::remove("Telvane.ini"));
    writeFile("blocker", "a file where the config folder would be");
    writeFile("cmds.json", kCmds);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath("blocker")));
    MainWindow w;
    w.show();
    QCOMPARE(w.statusBar()->currentMessage(),
             QString("无法写入设置文件 %1, 本次的设置不会保存").arg(m_dir->filePath("blocker/Telvane/Telvane/Telvane.ini")));
}

void TestMainWindow::badStoredValuesFallBackToDefaults_data()
{
    // The parsing rules have their own table; this one checks each page reads
    // its keys through them.
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    QTest::newRow("keep time negative") << QByteArray("[FileTrans]\nKeepTime=-5\n") << "tabFileTrans"
                                        << "editKeepTime" << "800";
    QTest::newRow("address a word") << QByteArray("[FileTrans]\nDstAddr=hello\n") << "tabFileTrans"
                                    << "editDstAddr" << "1674097996";
    QTest::newRow("interval below its minimum")
        << QByteArray("[RxTx]\nTxAsyncOptVisible=true\nInterval=5\n") << "tabRxTx" << "editInterval" << "250";
    QTest::newRow("control code not hex") << QByteArray("[RxTx]\nCustomCtl=zz\n") << "tabRxTx" << "editCustomCtl"
                                          << "0";
    QTest::newRow("terminal id negative") << QByteArray("[RxTx]\nTerminalId=-1\n") << "tabRxTx"
                                          << "editTerminalId" << "0";
    QTest::newRow("receive pane collapsed") << QByteArray("[RxTx]\nRxSize=-100\nTxSize=-100\n") << "tabRxTx"
                                            << "splitter" << "both panes shown";
    QTest::newRow("command list collapsed") << QByteArray("[CfgDtu]\nCmdSize=0\n") << "tabDtuCfg" << "splitter"
                                            << "both panes shown";
}

void TestMainWindow::badStoredValuesFallBackToDefaults()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, page);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    writeFile("Telvane.ini", ini);
    writeFile("cmds.json", kCmds);
    MainWindow w;
    w.show();
    QWidget* widget = w.findChild<QWidget*>(page)->findChild<QWidget*>(field);
    QVERIFY(widget);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        QCOMPARE(edit->text(), shown);
    } else {
        auto* splitter = qobject_cast<QSplitter*>(widget);
        QVERIFY(splitter);
        const QList<int> sizes = splitter->sizes();
        QVERIFY2(sizes.value(0) > 0 && sizes.value(1) > 0, qPrintable(QString("%1, %2").arg(sizes.value(0)).arg(sizes.value(1))));
    }
}

void TestMainWindow::languageMenuKeepsTheChoice_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("asksToRestart");
    QTest::newRow("another language") << "actionLanguageEn" << "en" << true;
    QTest::newRow("the running one") << "actionLanguageZh" << "zh" << false;
}

// The window is built in one language; another is kept for the next start,
// and a restart declined leaves the window open.
void TestMainWindow::languageMenuKeepsTheChoice()
{
    QFETCH(QString, action);
    QFETCH(QString, stored);
    QFETCH(bool, asksToRestart);
    MainWindow w;
    w.show();
    int questions = 0;
    w.setQuestionHook([&](const QString&, const QString&) { return ++questions, false; });
    QVERIFY(w.findChild<QAction*>("actionLanguageZh")->isChecked());
    w.findChild<QAction*>(action)->trigger();
    QCOMPARE(ini()->value("language").toString(), stored);
    QCOMPARE(questions, asksToRestart ? 1 : 0);
    QVERIFY(w.isVisible());
}

void TestMainWindow::viewMenuShowsAndHidesImagePages()
{
    writeFile("cmds.json", kCmds);
    {
        MainWindow w;
        w.show();
        auto* test = w.findChild<QAction*>("actionViewTransTest");
        auto* image = w.findChild<QAction*>("actionViewFileTrans");
        QVERIFY(test && image);
        QVERIFY(!test->isChecked());
        QVERIFY(image->isChecked());
        test->trigger();
        image->trigger();
        QCOMPARE(tabTexts(w), (QStringList { "收发数据", "命令配置", "发送测试" }));
        image->trigger();
        QCOMPARE(tabTexts(w), (QStringList { "收发数据", "命令配置", "发送图片", "发送测试" }));
        test->trigger();
    }
    // The choices are the settings that the next start reads.
    auto s = ini();
    QCOMPARE(s->value("TabPicTransTest").toString(), QString("false"));
    QCOMPARE(s->value("TabPicTrans").toString(), QString("true"));
    writeFile("Telvane.ini", "TabPicTransTest=true\nTabPicTrans=false\n");
    MainWindow w;
    w.show();
    QCOMPARE(tabTexts(w), (QStringList { "收发数据", "命令配置", "发送测试" }));
    QVERIFY(w.findChild<QAction*>("actionViewTransTest")->isChecked());
    QVERIFY(!w.findChild<QAction*>("actionViewFileTrans")->isChecked());
}

void TestMainWindow::closeDuringTransferAsksFirst_data()
{
    QTest::addColumn<bool>("quit");
    QTest::newRow("stay") << false;
    QTest::newRow("quit") << true;
}

void TestMainWindow::closeDuringTransferAsksFirst()
{
    QFETCH(bool, quit);
    PtyPair pty;
    QVERIFY(pty.isValid());
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::black);
    QVERIFY(image.save("picture.png"));
    MainWindow w({ pty.portPath() });
    QStringList questions;
    w.setQuestionHook([&](const QString& title, const QString& text) {
        questions << title + ":" + text;
        return quit;
    });
    w.show();
    QVERIFY(openThroughPanel(w));
    auto* page = w.findChild<FileTrans*>("tabFileTrans");
    QCOMPARE(page->loadImageFile("picture.png"), ImageLoadResult::Loaded);
    QTest::mouseClick(page->findChild<QPushButton*>("pbSend"), Qt::LeftButton);
    QVERIFY(!pty.read(dtu::kOverhead).isEmpty());  // the wake-up request
    QVERIFY(page->isBusy());

    QCOMPARE(w.close(), quit);
    QCOMPARE(questions, QStringList { "提示:正在发送，确定退出？" });
    QCOMPARE(page->isBusy(), !quit);
    QCOMPARE(ini()->contains("Maximized"), quit);  // saved only when closing
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
