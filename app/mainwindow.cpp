#include "mainwindow.h"
#include "settingsfile.h"
#include "ui_mainwindow.h"

#include "workerserial.h"

#include <QApplication>
#include <QCloseEvent>
#include <QSettings>
#include <QTextCodec>
#include <QThread>

namespace {

constexpr int kStatusTimeoutMs = 5000;

}  // namespace

MainWindow::MainWindow(const QStringList& extraPorts, QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    ui->setupUi(this);
    ui->groupCfgSerial->setExtraPorts(extraPorts);

    m_thread = new QThread;
    m_thread->setObjectName("serial");
    m_worker = new WorkerSerial;
    m_worker->moveToThread(m_thread);
    // The worker closes its port in its destructor, which runs in its own
    // thread once the thread's loop has ended.
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);

    WorkerSerial* worker = m_worker;
    const auto portOpen = [worker] { return worker->isOpen(); };
    ui->tabFileTrans->setPortOpenQuery(portOpen);
    ui->tabTransTest->setPortOpenQuery(portOpen);
    connectPages();
    m_thread->start();
}

MainWindow::~MainWindow()
{
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    delete ui;
}

void MainWindow::connectPages()
{
    CfgSerial* serial = ui->groupCfgSerial;
    connect(serial, &CfgSerial::setParam, m_worker, &WorkerSerial::openPort);
    connect(serial, &CfgSerial::setPort, m_worker, &WorkerSerial::setPortName);
    connect(serial, &CfgSerial::setBaud, m_worker, &WorkerSerial::setBaud);
    connect(serial, &CfgSerial::setParity, m_worker, &WorkerSerial::setParity);
    connect(serial, &CfgSerial::closePort, m_worker, &WorkerSerial::closePort);
    connect(serial, &CfgSerial::setDtr, m_worker, &WorkerSerial::setDtr);
    connect(serial, &CfgSerial::setRts, m_worker, &WorkerSerial::setRts);
    connect(serial, &CfgSerial::setLog, this, &MainWindow::setLog);
    connect(ui->tabRxTx, &RxTx::sendData, m_worker, &WorkerSerial::sendData);
    connect(ui->tabDtuCfg, &CfgDtu::sendDecode, ui->tabRxTx, &RxTx::showDecode);
    connect(ui->tabDtuCfg, &CfgDtu::setLog, this, &MainWindow::setLog);
    connect(ui->tabFileTrans, &FileTrans::setLog, this, &MainWindow::setLog);
    connect(ui->tabTransTest, &TransTest::setLog, this, &MainWindow::setLog);
    connect(ui->tabDtuCfg, &CfgDtu::sendCmd, m_worker, &WorkerSerial::sendData);
    connect(ui->tabFileTrans, &FileTrans::sendData, m_worker, &WorkerSerial::sendData);
    connect(ui->tabTransTest, &TransTest::sendData, m_worker, &WorkerSerial::sendData);
    connect(m_worker, &WorkerSerial::dataArise, ui->tabRxTx, &RxTx::showRx);
    connect(m_worker, &WorkerSerial::dtuResponse, ui->tabDtuCfg, &CfgDtu::decodeResponse);
    connect(m_worker, &WorkerSerial::dtuResponse, ui->tabFileTrans, &FileTrans::transResponse);
    connect(m_worker, &WorkerSerial::dtuResponse, ui->tabTransTest, &TransTest::transResponse);
    connect(m_worker, &WorkerSerial::portNotOpened, this, &MainWindow::warnPortNotOpened);
    connect(m_worker, &WorkerSerial::openState, serial, &CfgSerial::portError);
    connect(m_worker, &WorkerSerial::portLost, serial, &CfgSerial::portLost);
}

void MainWindow::warnPortNotOpened()
{
    const QString title = QStringLiteral("告警"), text = QStringLiteral("请先打开串口");
    showMessage(m_messageHook, this, QMessageBox::Warning, title, text);
}

void MainWindow::show()
{
    loadSettings();
    QMainWindow::show();
}

void MainWindow::setLog(QString strLog)
{
    if (!strLog.isEmpty())
        statusBar()->showMessage(strLog, kStatusTimeoutMs);
}

void MainWindow::loadSettings()
{
    QSettings settings(kSettingsFile, QSettings::IniFormat);
    settings.setIniCodec("UTF-8");

    const QString title = QString::fromUtf8(settings.value("title", QString("Telvane工具")).toByteArray());
    setWindowTitle(QString("%1 V%2").arg(title, QApplication::applicationVersion()));

    const QPoint pos = settings.value("pos", QPoint(639, 189)).toPoint();
    const QSize size = settings.value("size", QSize(640, 710)).toSize();
    const int state = settings.value("Maximized", 0).toInt();
    setWindowState(Qt::WindowStates(state));
    if (state == 0) {
        move(pos);
        resize(size);
    }

    ui->groupCfgSerial->loadSettings(&settings);
    ui->tabRxTx->loadSettings(&settings);
    ui->tabDtuCfg->loadSettings(&settings);
    ui->tabFileTrans->loadSettings(&settings);

    // Pages are removed by object, so each setting names its own page
    // whichever others are gone; removed pages stay alive and connected.
    if (!settings.value("TabPicTransTest", false).toBool())
        removePage(ui->tabTransTest);
    if (!settings.value("TabPicTrans", true).toBool())
        removePage(ui->tabFileTrans);
    const QString json = settings.value("json", QString("cmds.json")).toString();
    if (!settings.value("TabDtuCfg", true).toBool() || ui->tabDtuCfg->loadCommands(json) != 0)
        removePage(ui->tabDtuCfg);
}

void MainWindow::saveSettings()
{
    QSettings settings(kSettingsFile, QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    if (windowState() == Qt::WindowNoState) {
        settings.setValue("pos", pos());
        settings.setValue("size", size());
    }
    settings.setValue("Maximized", int(windowState()));
    ui->groupCfgSerial->saveSettings(&settings);
    ui->tabRxTx->saveSettings(&settings);
    ui->tabDtuCfg->saveSettings(&settings);
    ui->tabFileTrans->saveSettings(&settings);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    saveSettings();
    QMainWindow::closeEvent(event);
}

void MainWindow::removePage(QWidget* page)
{
    const int index = ui->tabWidget->indexOf(page);
    if (index >= 0)
        ui->tabWidget->removeTab(index);
}
