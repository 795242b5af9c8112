#include "mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Each case runs in a fresh working directory, where Telvane.ini lives.
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
    QApplication::setApplicationVersion("1.3.0");
    m_oldDir = QDir::currentPath();
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    QDir::setCurrent(m_dir->path());
}

void TestMainWindow::cleanup()
{
    QDir::setCurrent(m_oldDir);
    m_dir.reset();
}

void TestMainWindow::startsWithDefaultsWithoutSettingsFile()
{
    MainWindow w;
    w.show();
    QCOMPARE(w.windowTitle(), QString("Telvane工具 V1.3.0"));
    QCOMPARE(w.pos(), QPoint(639, 189));
    QCOMPARE(w.size(), QSize(640, 710));
    QCOMPARE(w.windowState(), Qt::WindowNoState);
    QVERIFY(w.findChild<QTabWidget*>("tabWidget"));
    QCOMPARE(w.findChild<QWidget*>("groupCfgSerial")->property("title").toString(), QString(" 串口设置"));
}

void TestMainWindow::closeWritesGeometryAndNeverTheReadOnlyKeys()
{
    {
        MainWindow w;
        w.show();
        w.move(100, 120);
        w.resize(700, 650);
        QVERIFY(w.close());
    }
    {
        auto s = ini();
        QCOMPARE(s->value("pos").toPoint(), QPoint(100, 120));
        QCOMPARE(s->value("size").toSize(), QSize(700, 650));
        QCOMPARE(s->value("Maximized").toInt(), 0);
        for (const char* key : { "title", "json", "TabPicTrans", "TabPicTransTest", "TabDtuCfg" })
            QVERIFY2(!s->contains(key), key);
    }

    MainWindow again;
    again.show();
    QCOMPARE(again.pos(), QPoint(100, 120));
    QCOMPARE(again.size(), QSize(700, 650));
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

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
