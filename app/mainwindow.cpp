#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QSettings>
#include <QTextCodec>
#include <QThread>

namespace {

constexpr char kSettingsFile[] = "Telvane.ini";
constexpr int kStatusTimeoutMs = 5000;

}  // namespace

MainWindow::MainWindow(const QStringList& extraPorts, QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , m_extraPorts(extraPorts)
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    ui->setupUi(this);

    m_thread = new QThread;
    m_thread->setObjectName("serial");
    m_thread->start();
}

MainWindow::~MainWindow()
{
    // The worker lives in m_thread; ending the thread lets it close the port.
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    delete ui;
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

    const bool keepTest = settings.value("TabPicTransTest", false).toBool();
    const bool keepTrans = settings.value("TabPicTrans", true).toBool();
    const bool keepCmds = settings.value("TabDtuCfg", true).toBool();
    const QString json = settings.value("json", QString("cmds.json")).toString();
    Q_UNUSED(keepTest)
    Q_UNUSED(keepTrans)
    Q_UNUSED(keepCmds)
    Q_UNUSED(json)
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
