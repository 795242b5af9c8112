#include "mainwindow.h"
#include "settingsfile.h"
#include "ui_mainwindow.h"

#include "settingsbounds.h"
#include "windowgeometry.h"
#include "workerserial.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QSignalBlocker>
#include <QTextCodec>
#include <QThread>

namespace {

constexpr int kStatusTimeoutMs = 5000;
// Qt::WindowMinimized | WindowMaximized | WindowFullScreen: every state a
// window is saved in.
constexpr int kMaxWindowState = 7;
// Pages in the order of the form, so that a page shown again takes its place.
constexpr int kPageCount = 4;

Q_LOGGING_CATEGORY(lcCommands, "telvane.commands")

QVector<QRect> availableScreens()
{
    QVector<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screens << primary->availableGeometry();
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            screens << screen->availableGeometry();
    }
    return screens;
}

}  // namespace

MainWindow::MainWindow(const QStringList& extraPorts, QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , m_files(FileLocations::forCurrentDirectory())
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    ui->setupUi(this);
    ui->groupCfgSerial->setExtraPorts(extraPorts);
    ui->groupCfgSerial->setSettingsPath(m_files.settingsPath());
    ui->tabFileTrans->setPayloadCopyPath(m_files.payloadPath());
    ui->tabTransTest->setPayloadCopyPath(m_files.payloadPath());
    buildViewMenu();
    buildLanguageMenu();

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
    const QString title = tr("告警"), text = tr("请先打开串口");
    showMessage(m_messageHook, this, QMessageBox::Warning, title, text);
}

void MainWindow::show()
{
    loadSettings();
    // Keys typed before the operator clicks a field must not land in the
    // editable port box, the first field, where they rename the port.
    ui->tabWidget->setFocus();
    QMainWindow::show();
}

void MainWindow::setLog(QString strLog)
{
    if (!strLog.isEmpty())
        statusBar()->showMessage(strLog, kStatusTimeoutMs);
}

void MainWindow::buildViewMenu()
{
    QMenu* menu = ui->menubar->addMenu(tr("视图"));
    menu->setObjectName("menuView");
    const auto addToggle = [this, menu](QWidget* page, const QString& strKey, const char* objectName) {
        QAction* action = menu->addAction(ui->tabWidget->tabText(ui->tabWidget->indexOf(page)));
        action->setObjectName(objectName);
        action->setCheckable(true);
        action->setChecked(true);
        connect(action, &QAction::toggled, this, [this, page, strKey](bool bShow) {
            showPage(page, bShow);
            QSettings settings(m_files.settingsPath(), QSettings::IniFormat);
            settings.setIniCodec("UTF-8");
            settings.setValue(strKey, bShow);
        });
    };
    addToggle(ui->tabTransTest, QStringLiteral("TabPicTransTest"), "actionViewTransTest");
    addToggle(ui->tabFileTrans, QStringLiteral("TabPicTrans"), "actionViewFileTrans");
}

void MainWindow::buildLanguageMenu()
{
    QMenu* menu = ui->menubar->addMenu(tr("语言 / Language"));
    menu->setObjectName("menuLanguage");
    auto* group = new QActionGroup(menu);
    const struct
    {
        Language language;
        QString strText;
        const char* objectName;
    } choices[] = { { Language::Chinese, tr("中文"), "actionLanguageZh" },
                    { Language::English, tr("English"), "actionLanguageEn" } };
    for (const auto& choice : choices) {
        QAction* action = menu->addAction(choice.strText);
        action->setObjectName(choice.objectName);
        action->setCheckable(true);
        action->setChecked(choice.language == installedLanguage());
        group->addAction(action);
        const Language language = choice.language;
        connect(action, &QAction::triggered, this, [this, language] { switchLanguage(language); });
    }
}

// The texts are set as the window is built, so a new language needs a new
// start; the operator may restart right away.
void MainWindow::switchLanguage(Language language)
{
    storeLanguage(m_files.settingsPath(), language);
    if (language == installedLanguage())
        return;
    if (!askQuestion(m_questionHook, this, tr("语言 / Language"), tr("界面语言将在重新启动后切换。现在重新启动吗？")))
        return;
    if (close())
        QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                argumentsWithoutLanguage(QCoreApplication::arguments().mid(1)));
}

void MainWindow::showPage(QWidget* page, bool bShow)
{
    if (!bShow) {
        removePage(page);
        return;
    }
    if (ui->tabWidget->indexOf(page) >= 0)
        return;
    const QWidget* const order[kPageCount] = { ui->tabRxTx, ui->tabDtuCfg, ui->tabFileTrans, ui->tabTransTest };
    int nIndex = 0;
    for (const QWidget* other : order) {
        if (other == page)
            break;
        if (ui->tabWidget->indexOf(const_cast<QWidget*>(other)) >= 0)
            ++nIndex;
    }
    const QString strTitle = page == ui->tabFileTrans ? tr("发送图片") : tr("发送测试");
    ui->tabWidget->insertTab(nIndex, page, strTitle);
}

void MainWindow::restoreGeometry(const QSettings& settings)
{
    const QVector<QRect> screens = m_screenAreas.isEmpty() ? availableScreens() : m_screenAreas;
    const QRect fallback = defaultWindowGeometry(screens);
    const QRect stored(settings.value("pos", fallback.topLeft()).toPoint(),
                       settings.value("size", fallback.size()).toSize());
    const QRect rect = fitWindowGeometry(stored, screens);
    const int state = boundedInt(settings, "Maximized", 0, 0, kMaxWindowState);
    setWindowState(Qt::WindowStates(state));
    if (state == 0) {
        move(rect.topLeft());
        resize(rect.size());
    }
}

// Loads the command file; what went wrong, for the status bar, or empty.
QString MainWindow::loadCommandFile(const QString& strName)
{
    const FileLocations::Lookup lookup = m_files.findShipped(strName);
    QString strProblem;
    if (lookup.strPath.isEmpty()) {
        strProblem = tr("未找到命令文件 %1 (查找了 %2)")
                         .arg(strName, lookup.searched.join(QStringLiteral(", ")));
    } else if (ui->tabDtuCfg->loadCommands(lookup.strPath) != 0) {
        strProblem = tr("命令文件 %1 有误: %2").arg(lookup.strPath, ui->tabDtuCfg->loadProblem());
    } else {
        return QString();
    }
    removePage(ui->tabDtuCfg);
    qCWarning(lcCommands, "%s", qUtf8Printable(strProblem));
    return tr("%1, 已隐藏\"命令配置\"页").arg(strProblem);
}

void MainWindow::loadSettings()
{
    // Problems found here are shown once, in the status bar.
    QStringList notices;
    const QString strSettings = m_files.settingsPath();
    if (!FileLocations::prepareWritable(strSettings))
        notices << tr("无法写入设置文件 %1, 本次的设置不会保存").arg(strSettings);
    FileLocations::prepareWritable(m_files.payloadPath());
    QSettings settings(strSettings, QSettings::IniFormat);
    settings.setIniCodec("UTF-8");

    const QString title = QString::fromUtf8(settings.value("title", tr("Telvane工具")).toByteArray());
    setWindowTitle(QString("%1 V%2").arg(title, QApplication::applicationVersion()));
    restoreGeometry(settings);

    ui->groupCfgSerial->loadSettings(&settings);
    ui->tabRxTx->loadSettings(&settings);
    ui->tabDtuCfg->loadSettings(&settings);
    ui->tabFileTrans->loadSettings(&settings);

    // Pages are removed by object, so each setting names its own page
    // whichever others are gone; removed pages stay alive and connected.
    // Restoring the menu's ticks writes nothing back: the file says so already.
    const auto restorePage = [this](const char* actionName, QWidget* page, bool bShow) {
        QAction* action = findChild<QAction*>(actionName);
        const QSignalBlocker blocker(action);
        action->setChecked(bShow);
        showPage(page, bShow);
    };
    restorePage("actionViewTransTest", ui->tabTransTest, settings.value("TabPicTransTest", false).toBool());
    restorePage("actionViewFileTrans", ui->tabFileTrans, settings.value("TabPicTrans", true).toBool());
    const QString json = settings.value("json", QString("cmds.json")).toString();
    if (!settings.value("TabDtuCfg", true).toBool())
        removePage(ui->tabDtuCfg);
    else
        notices << loadCommandFile(json);
    notices.removeAll(QString());
    if (!notices.isEmpty())
        statusBar()->showMessage(notices.join(QStringLiteral("; ")));
}

void MainWindow::saveSettings()
{
    QSettings settings(m_files.settingsPath(), QSettings::IniFormat);
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

bool MainWindow::transferRunning() const
{
    return ui->tabFileTrans->isBusy() || ui->tabTransTest->isBusy();
}

void MainWindow::stopTransfers()
{
    if (ui->tabFileTrans->isBusy())
        ui->tabFileTrans->cancelTransfer();
    if (ui->tabTransTest->isBusy())
        ui->tabTransTest->cancelTransfer();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A display cut off mid-transfer keeps a half-written picture: ask first.
    if (transferRunning()) {
        if (!askQuestion(m_questionHook, this, tr("提示"), tr("正在发送，确定退出？"))) {
            event->ignore();
            return;
        }
        stopTransfers();
    }
    saveSettings();
    QMainWindow::closeEvent(event);
}

void MainWindow::removePage(QWidget* page)
{
    const int index = ui->tabWidget->indexOf(page);
    if (index >= 0)
        ui->tabWidget->removeTab(index);
}
