#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <climits>
#include <memory>

#include "cfgdetail.h"
#include "cfgserial.h"
#include "portrecovery.h"
#include "portdetails.h"
#include "ptypair.h"
#include "workerharness.h"

Q_DECLARE_METATYPE(PortDetails)

namespace {

constexpr int kWaitMs = 5000;
const QColor kBusyColour(0xFF, 0x6E, 0x6E);

struct Message
{
    QMessageBox::Icon icon;
    QString strTitle;
    QString strText;
};

QSettings* openIni()
{
    auto* settings = new QSettings("Telvane.ini", QSettings::IniFormat);
    settings->setIniCodec("UTF-8");
    return settings;
}

}  // namespace

class TestCfgSerial : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startWithoutFileSelectsFirstFreePort();
    void commandLinePortWinsOverSavedPort();
    void savedPortIsSelectedAndSentToWorker();
    void friendlyNameSurvivesRestart();
    void validatorRefusesForeignCharacters();
    void refreshKeepsFriendlyNameOfPortWeHold();
    void f5RefreshesThePortList();
    void typedNetworkAddressBecomesAPort_data();
    void typedNetworkAddressBecomesAPort();
    void networkPortAndItsNameSurviveRestart();
    void storedNamesFollowSystemNameAndAreRewrittenByPosition();
    void choosingBusyPortWarnsAndRestoresSelection();
    void openAndCloseToggleButtonAndSignals();
    void openWithoutPortsSaysThereAreNone();
    void baudSelectionIsForwarded();
    void resultCodesBecomeMessages_data();
    void resultCodesBecomeMessages();
    void detailCancelKeepsChoicesForNextOpen();
    void detailAcceptReopensWithDialogParameters();
    void detailDialogSelectsPortsExactly();
    void portInfoTextListsEveryField_data();
    void portInfoTextListsEveryField();
    void detailShowsPathOfPortPlatformDoesNotList();
    void lostPortIsReopenedWhenItComesBackInTime_data();
    void lostPortIsReopenedWhenItComesBackInTime();
    void lineOptionsReachTheWorkerAndPersist();
    void portHeldElsewhereIsReportedBusy();

private:
    CfgSerial* makePanel(const QList<PortEntry>& entries, const QStringList& extras = {});
    QComboBox* combo(const char* name) const { return m_panel->findChild<QComboBox*>(name); }
    QPushButton* button(const char* name) const { return m_panel->findChild<QPushButton*>(name); }
    void runDialog(const std::function<void(CfgDetail*)>& action);

    QTemporaryDir m_dir;
    std::unique_ptr<CfgSerial> m_panel;
    QList<PortEntry> m_entries;
    QList<Message> m_messages;
};

void TestCfgSerial::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The panel keeps its settings in the working directory.
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestCfgSerial::init()
{
    QFile::remove("Telvane.ini");
    m_messages.clear();
    m_entries = { PortEntry { "ttyS0", true, {}, {} }, PortEntry { "ttyS1", false, {}, {} },
                  PortEntry { "ttyUSB0", false, {}, {} } };
}

void TestCfgSerial::cleanup()
{
    m_panel.reset();
}

CfgSerial* TestCfgSerial::makePanel(const QList<PortEntry>& entries, const QStringList& extras)
{
    m_entries = entries;
    m_panel.reset(new CfgSerial);
    m_panel->setPortEnumerator([this] { return m_entries; });
    m_panel->setMessageHook([this](QMessageBox::Icon icon, const QString& strTitle, const QString& strText) {
        m_messages.append(Message { icon, strTitle, strText });
    });
    m_panel->setExtraPorts(extras);
    return m_panel.get();
}

void TestCfgSerial::runDialog(const std::function<void(CfgDetail*)>& action)
{
    CfgDetail* dialog = m_panel->findChild<CfgDetail*>();
    QVERIFY(dialog);
    bool bRan = false;
    QTimer::singleShot(0, dialog, [&] {
        QTRY_VERIFY(dialog->isVisible());
        action(dialog);
        bRan = true;
    });
    button("pbDetail")->click();
    QVERIFY(bRan);
    QVERIFY(!dialog->isVisible());
}

void TestCfgSerial::startWithoutFileSelectsFirstFreePort()
{
    makePanel(m_entries);
    QSignalSpy spyPort(m_panel.get(), &CfgSerial::setPort);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    QComboBox* cmb = combo("cmbPort");
    QCOMPARE(cmb->count(), 3);
    QCOMPARE(cmb->currentData().toString(), QString("ttyS1"));
    QCOMPARE(combo("cmbBaud")->currentText(), QString("115200"));
    QCOMPARE(cmb->itemData(0, Qt::ForegroundRole).value<QColor>(), kBusyColour);
    QVERIFY(!cmb->itemData(1, Qt::ForegroundRole).isValid());
    QCOMPARE(spyPort.count(), 0);
    QVERIFY(m_messages.isEmpty());
}

void TestCfgSerial::commandLinePortWinsOverSavedPort()
{
    {
        std::unique_ptr<QSettings> ini(openIni());
        ini->setValue("port", "ttyUSB0");
    }
    makePanel(m_entries, { "/dev/pts/91", "/dev/pts/92" });
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    QComboBox* cmb = combo("cmbPort");
    QCOMPARE(cmb->count(), 5);
    QCOMPARE(cmb->itemText(3), QString("/dev/pts/91"));
    QCOMPARE(cmb->itemData(4).toString(), QString("/dev/pts/92"));
    QCOMPARE(cmb->currentData().toString(), QString("/dev/pts/91"));
}

void TestCfgSerial::savedPortIsSelectedAndSentToWorker()
{
    {
        std::unique_ptr<QSettings> ini(openIni());
        ini->setValue("port", "TTYUSB0");  // matched regardless of case
        ini->setValue("baud", "9600");
    }
    makePanel(m_entries);
    QSignalSpy spyPort(m_panel.get(), &CfgSerial::setPort);
    QSignalSpy spyBaud(m_panel.get(), &CfgSerial::setBaud);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    QCOMPARE(combo("cmbPort")->currentData().toString(), QString("ttyUSB0"));
    QCOMPARE(spyPort.count(), 1);
    QCOMPARE(spyPort.first().first().toString(), QString("ttyUSB0"));
    QCOMPARE(combo("cmbBaud")->currentText(), QString("9600"));
    QCOMPARE(spyBaud.count(), 1);
    QCOMPARE(spyBaud.first().first().toInt(), 9600);
}

void TestCfgSerial::friendlyNameSurvivesRestart()
{
    makePanel(m_entries);
    {
        std::unique_ptr<QSettings> ini(openIni());
        m_panel->loadSettings(ini.get());
    }
    QComboBox* cmb = combo("cmbPort");
    cmb->lineEdit()->selectAll();
    QTest::keyClicks(cmb->lineEdit(), "DTU(1)");
    QCOMPARE(cmb->itemText(1), QString("DTU(1)"));
    QCOMPARE(cmb->itemData(1).toString(), QString("ttyS1"));
    {
        std::unique_ptr<QSettings> ini(openIni());
        m_panel->saveSettings(ini.get());
    }
    {
        std::unique_ptr<QSettings> ini(openIni());
        QCOMPARE(ini->value("port_rename_1").toString(), QString("DTU(1)"));
        QCOMPARE(ini->value("port_1").toString(), QString("ttyS1"));
        QCOMPARE(ini->value("port").toString(), QString("ttyS1"));
        QCOMPARE(ini->value("port_count").toInt(), 3);
        QCOMPARE(ini->value("baud").toString(), QString("115200"));
    }

    makePanel(m_entries);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    QCOMPARE(combo("cmbPort")->itemText(1), QString("DTU(1)"));
    QCOMPARE(combo("cmbPort")->currentData().toString(), QString("ttyS1"));
}

void TestCfgSerial::validatorRefusesForeignCharacters()
{
    makePanel(m_entries);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    QLineEdit* edit = combo("cmbPort")->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, "a/b c.d-(e)_");
    QCOMPARE(edit->text(), QString("abcd-(e)_"));
    QTest::keyClicks(edit, QString(30, 'x'));
    QCOMPARE(edit->text().size(), 20);
    QCOMPARE(combo("cmbPort")->itemText(1), edit->text());
}

void TestCfgSerial::refreshKeepsFriendlyNameOfPortWeHold()
{
    makePanel(m_entries);
    {
        std::unique_ptr<QSettings> ini(openIni());
        m_panel->loadSettings(ini.get());
    }
    QComboBox* cmb = combo("cmbPort");
    cmb->lineEdit()->selectAll();
    QTest::keyClicks(cmb->lineEdit(), "Radio");
    button("pbConnect")->click();
    // Opened by us, the port now reports busy.
    m_entries[1].bBusy = true;
    QSignalSpy spyPort(m_panel.get(), &CfgSerial::setPort);
    button("pbRefresh")->click();
    QCOMPARE(cmb->count(), 3);
    QCOMPARE(cmb->currentIndex(), 1);
    QCOMPARE(cmb->itemText(1), QString("Radio"));
    QVERIFY(!cmb->itemData(1, Qt::ForegroundRole).isValid());
    QCOMPARE(spyPort.count(), 0);
    QVERIFY(button("pbConnect")->isEnabled());
    QVERIFY(button("pbRefresh")->isEnabled());
    // The refresh saved the names first.
    std::unique_ptr<QSettings> ini(openIni());
    QCOMPARE(ini->value("port_rename_1").toString(), QString("Radio"));
}

void TestCfgSerial::f5RefreshesThePortList()
{
    makePanel(m_entries);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    m_panel->show();
    QApplication::setActiveWindow(m_panel.get());
    QVERIFY(QTest::qWaitForWindowActive(m_panel.get()));
    m_entries.append(PortEntry { "ttyACM0", false, {}, {} });
    QTest::keyClick(combo("cmbBaud"), Qt::Key_F5);
    QCOMPARE(combo("cmbPort")->count(), 4);
}

void TestCfgSerial::typedNetworkAddressBecomesAPort_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("added");

    QTest::newRow("raw TCP") << "socket://127.0.0.1:2000" << true;
    QTest::newRow("RFC 2217, IPv6") << "rfc2217://[::1]:7001" << true;
    QTest::newRow("no port") << "rfc2217://rack-3.lab" << false;
    QTest::newRow("port out of range") << "socket://127.0.0.1:99999" << false;
}

void TestCfgSerial::typedNetworkAddressBecomesAPort()
{
    QFETCH(QString, typed);
    QFETCH(bool, added);

    makePanel(m_entries);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    QComboBox* cmb = combo("cmbPort");
    QSignalSpy spyPort(m_panel.get(), &CfgSerial::setPort);
    cmb->lineEdit()->selectAll();
    QTest::keyClicks(cmb->lineEdit(), typed);
    QTest::keyClick(cmb->lineEdit(), Qt::Key_Return);

    // The typing began like a rename of the current port; that is undone.
    QCOMPARE(cmb->itemText(1), QString("ttyS1"));
    QCOMPARE(cmb->count(), added ? 4 : 3);
    QCOMPARE(m_messages.size(), added ? 0 : 1);
    if (added) {
        QCOMPARE(cmb->currentIndex(), 3);
        QCOMPARE(cmb->currentText(), typed);
        QCOMPARE(spyPort.count(), 1);
        QCOMPARE(spyPort.at(0).at(0).toString(), typed);
    } else {
        QCOMPARE(cmb->currentIndex(), 1);
        QCOMPARE(spyPort.count(), 0);
        QCOMPARE(m_messages.first().strTitle, QString("告警"));
    }
}

void TestCfgSerial::networkPortAndItsNameSurviveRestart()
{
    const QString strUrl = "rfc2217://127.0.0.1:7001";
    makePanel(m_entries);
    {
        std::unique_ptr<QSettings> ini(openIni());
        m_panel->loadSettings(ini.get());
    }
    QComboBox* cmb = combo("cmbPort");
    cmb->lineEdit()->selectAll();
    QTest::keyClicks(cmb->lineEdit(), strUrl);
    QTest::keyClick(cmb->lineEdit(), Qt::Key_Return);
    cmb->lineEdit()->selectAll();
    QTest::keyClicks(cmb->lineEdit(), "Rack(3)");
    // A refresh keeps it although the platform does not list it.
    button("pbRefresh")->click();
    QCOMPARE(cmb->count(), 4);
    QCOMPARE(cmb->currentData().toString(), strUrl);
    {
        std::unique_ptr<QSettings> ini(openIni());
        m_panel->saveSettings(ini.get());
    }

    makePanel(m_entries);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    cmb = combo("cmbPort");
    QCOMPARE(cmb->count(), 4);
    QCOMPARE(cmb->currentData().toString(), strUrl);
    QCOMPARE(cmb->currentText(), QString("Rack(3)"));
    QString shown;
    runDialog([&](CfgDetail* dialog) {
        shown = dialog->findChild<QLabel*>("lblPortInfo")->text();
        dialog->findChild<QPushButton*>("pbCancel")->click();
    });
    QCOMPARE(shown, "\n端口:\t  " + strUrl + "\n协议:\t  RFC 2217\n主机:\t  127.0.0.1\n网络端口: 7001");
}

void TestCfgSerial::storedNamesFollowSystemNameAndAreRewrittenByPosition()
{
    {
        std::unique_ptr<QSettings> ini(openIni());
        ini->setValue("port_count", 1);
        ini->setValue("port_0", "ttyusb0");
        ini->setValue("port_rename_0", "Radio");
        ini->setValue("port_rename_7", "Stale");
        ini->setValue("port_7", "ttyS0");
    }
    makePanel(m_entries);
    {
        std::unique_ptr<QSettings> ini(openIni());
        m_panel->loadSettings(ini.get());
    }
    QComboBox* cmb = combo("cmbPort");
    QCOMPARE(cmb->itemText(2), QString("Radio"));
    QCOMPARE(cmb->itemText(0), QString("ttyS0"));
    {
        std::unique_ptr<QSettings> ini(openIni());
        m_panel->saveSettings(ini.get());
    }
    std::unique_ptr<QSettings> ini(openIni());
    QCOMPARE(ini->value("port_0").toString(), QString("ttyS0"));
    QCOMPARE(ini->value("port_rename_0").toString(), QString("ttyS0"));
    QCOMPARE(ini->value("port_rename_2").toString(), QString("Radio"));
    QCOMPARE(ini->value("port_count").toInt(), 3);
    QCOMPARE(ini->value("port_rename_7").toString(), QString("Stale"));
}

void TestCfgSerial::choosingBusyPortWarnsAndRestoresSelection()
{
    makePanel(m_entries);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    QSignalSpy spyPort(m_panel.get(), &CfgSerial::setPort);
    QComboBox* cmb = combo("cmbPort");
    cmb->setCurrentIndex(2);
    QCOMPARE(cmb->currentIndex(), 2);
    cmb->setCurrentIndex(0);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.first().icon, QMessageBox::Warning);
    QCOMPARE(m_messages.first().strTitle, QString("告警"));
    QCOMPARE(m_messages.first().strText, QString("该串口忙"));
    QCOMPARE(cmb->currentIndex(), 2);
    QStringList told;
    for (const QList<QVariant>& args : spyPort)
        told << args.first().toString();
    QCOMPARE(told, (QStringList { "ttyUSB0", "ttyUSB0" }));
}

void TestCfgSerial::openAndCloseToggleButtonAndSignals()
{
    makePanel(m_entries);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    QSignalSpy spyParam(m_panel.get(), &CfgSerial::setParam);
    QSignalSpy spyClose(m_panel.get(), &CfgSerial::closePort);
    QPushButton* pb = button("pbConnect");
    QCOMPARE(pb->text(), QString("打开串口"));
    pb->click();
    QCOMPARE(spyParam.count(), 1);
    QCOMPARE(spyParam.first().at(0).typeName(), "PortParam");
    const PortParam param = spyParam.first().at(0).value<PortParam>();
    QCOMPARE(param.baudRate, 115200);
    QCOMPARE(param.dataBits, int(QSerialPort::Data8));
    QCOMPARE(param.stopBits, int(QSerialPort::OneStop));
    QCOMPARE(param.parity, int(QSerialPort::NoParity));
    QCOMPARE(param.flowControl, int(QSerialPort::NoFlowControl));
    QCOMPARE(spyParam.first().at(1).toString(), QString("ttyS1"));
    QCOMPARE(pb->text(), QString("关闭串口"));
    QVERIFY(m_panel->isPortOpen());
    pb->click();
    QCOMPARE(spyClose.count(), 1);
    QCOMPARE(pb->text(), QString("打开串口"));
    QVERIFY(pb->isEnabled());
}

void TestCfgSerial::openWithoutPortsSaysThereAreNone()
{
    makePanel({});
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    QSignalSpy spyParam(m_panel.get(), &CfgSerial::setParam);
    button("pbConnect")->click();
    QCOMPARE(spyParam.count(), 0);
    QCOMPARE(button("pbConnect")->text(), QString("打开串口"));
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.first().icon, QMessageBox::Warning);
    QCOMPARE(m_messages.first().strText, QString("没有找到串口, 请连接设备后点击刷新"));
}

void TestCfgSerial::baudSelectionIsForwarded()
{
    makePanel(m_entries);
    QSignalSpy spyBaud(m_panel.get(), &CfgSerial::setBaud);
    QComboBox* cmb = combo("cmbBaud");
    QCOMPARE(cmb->itemText(cmb->count() - 1), QString("460800"));
    cmb->setCurrentIndex(cmb->count() - 1);
    QCOMPARE(spyBaud.count(), 1);
    QCOMPARE(spyBaud.first().first().toInt(), 460800);
}

void TestCfgSerial::resultCodesBecomeMessages_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("text");  // empty: no message
    QTest::addColumn<QString>("button");
    const QString open = "打开串口";
    const QString close = "关闭串口";
    const QString none;
    QTest::newRow("opened") << 8 << none << QString() << close;
    QTest::newRow("zero") << 0 << none << QString() << close;
    QTest::newRow("-1") << -1 << none << "端口号错误" << close;
    QTest::newRow("-2 busy") << -2 << none << "端口忙错误" << open;
    QTest::newRow("-2 busy with reason") << -2 << "locked" << "端口忙错误\nlocked" << open;
    QTest::newRow("-3") << -3 << none << "波特率错误" << close;
    QTest::newRow("-4") << -4 << none << "数据位错误" << close;
    QTest::newRow("-5") << -5 << none << "停止位错误" << close;
    QTest::newRow("-6") << -6 << none << "奇偶校验错误" << close;
    QTest::newRow("-7") << -7 << none << "流量控制错误" << close;
    QTest::newRow("-8") << -8 << none << "打开错误" << open;
    QTest::newRow("-8 with reason") << -8 << "No such file" << "打开错误\nNo such file" << open;
    QTest::newRow("-9 no permission") << -9 << "hint" << "无权限打开串口\nhint" << open;
    QTest::newRow("-10") << -10 << "x" << "未知错误" << close;
    QTest::newRow("INT_MIN") << INT_MIN << none << "未知错误" << close;
}

void TestCfgSerial::resultCodesBecomeMessages()
{
    QFETCH(int, code);
    QFETCH(QString, reason);
    QFETCH(QString, text);
    QFETCH(QString, button);
    makePanel(m_entries);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    this->button("pbConnect")->click();
    m_panel->portError(code, reason);
    if (text.isEmpty()) {
        QVERIFY(m_messages.isEmpty());
    } else {
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().icon, QMessageBox::Critical);
        QCOMPARE(m_messages.first().strTitle, QString("错误"));
        QCOMPARE(m_messages.first().strText, text);
    }
    QCOMPARE(this->button("pbConnect")->text(), button);
}

void TestCfgSerial::detailCancelKeepsChoicesForNextOpen()
{
    makePanel(m_entries);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    QSignalSpy spyParam(m_panel.get(), &CfgSerial::setParam);
    runDialog([](CfgDetail* dialog) {
        auto* cmbParity = dialog->findChild<QComboBox*>("cmbParity");
        cmbParity->setCurrentIndex(cmbParity->findText("偶校验"));
        dialog->findChild<QPushButton*>("pbCancel")->click();
    });
    QCOMPARE(spyParam.count(), 0);
    button("pbConnect")->click();
    QCOMPARE(spyParam.count(), 1);
    QCOMPARE(spyParam.first().at(0).value<PortParam>().parity, int(QSerialPort::EvenParity));
}

void TestCfgSerial::detailAcceptReopensWithDialogParameters()
{
    makePanel(m_entries);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    button("pbConnect")->click();
    QSignalSpy spyParam(m_panel.get(), &CfgSerial::setParam);
    QSignalSpy spyClose(m_panel.get(), &CfgSerial::closePort);
    QSignalSpy spyPort(m_panel.get(), &CfgSerial::setPort);
    runDialog([](CfgDetail* dialog) {
        auto* cmbPort = dialog->findChild<QComboBox*>("cmbPort");
        QCOMPARE(cmbPort->count(), 3);
        QCOMPARE(cmbPort->currentData().toString(), QString("ttyS1"));
        cmbPort->setCurrentIndex(2);
        dialog->findChild<QComboBox*>("cmbBaud")->setCurrentText("9600");
        dialog->findChild<QComboBox*>("cmbDataBit")->setCurrentText("7");
        auto* cmbStop = dialog->findChild<QComboBox*>("cmbStopBit");
        cmbStop->setCurrentIndex(cmbStop->findText("2"));
        dialog->findChild<QPushButton*>("pbConfirm")->click();
    });
    QCOMPARE(spyClose.count(), 1);
    QCOMPARE(spyParam.count(), 1);
    const PortParam param = spyParam.first().at(0).value<PortParam>();
    QCOMPARE(param.baudRate, 9600);
    QCOMPARE(param.dataBits, 7);
    QCOMPARE(param.stopBits, int(QSerialPort::TwoStop));
    QCOMPARE(spyParam.first().at(1).toString(), QString("ttyUSB0"));
    QCOMPARE(spyPort.count(), 1);
    QCOMPARE(combo("cmbBaud")->currentText(), QString("9600"));
    QCOMPARE(button("pbConnect")->text(), QString("关闭串口"));
}

void TestCfgSerial::detailDialogSelectsPortsExactly()
{
    CfgDetail dialog;
    dialog.addPort("Radio", "ttyS1");
    dialog.addPort("ttyS2", "ttyS2");
    dialog.selectPort("TTYS2");  // exact match only
    QCOMPARE(dialog.currentPortData(), QString("ttyS1"));
    dialog.selectPort("ttyS2");
    QCOMPARE(dialog.currentPortData(), QString("ttyS2"));
    QCOMPARE(dialog.getBaud(), 115200);
    // Every field can be found by its label.
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->objectName() != "lblPortInfo")
            QVERIFY2(label->buddy(), qPrintable(label->objectName()));
    }
}

void TestCfgSerial::portInfoTextListsEveryField_data()
{
    QTest::addColumn<PortDetails>("details");
    QTest::addColumn<QString>("text");

    PortDetails usb;
    usb.strName = "ttyUSB0";
    usb.strLocation = "/dev/ttyUSB0";
    usb.strDescription = "FT232R USB UART";
    usb.strManufacturer = "FTDI";
    usb.strSerial = "A50285BI";
    usb.bHasVendor = true;
    usb.nVendor = 0x0403;
    usb.bHasProduct = true;
    usb.nProduct = 0x6001;
    QTest::newRow("usb adapter") << usb
        << "\n端口:\t  ttyUSB0\n位置:\t  /dev/ttyUSB0\n描述:\t  FT232R USB UART\n厂家:\t  FTDI"
           "\n序列号:\t  A50285BI\n供应商ID: 403\n产品ID:\t  6001\n忙:\t  否";

    PortDetails builtin;
    builtin.strName = "ttyS0";
    builtin.strLocation = "/dev/ttyS0";
    builtin.bBusy = true;
    QTest::newRow("built-in, busy") << builtin
        << "\n端口:\t  ttyS0\n位置:\t  /dev/ttyS0\n描述:\t  N/A\n厂家:\t  N/A"
           "\n序列号:\t  N/A\n供应商ID: N/A\n产品ID:\t  N/A\n忙:\t  是";
}

void TestCfgSerial::portInfoTextListsEveryField()
{
    QFETCH(PortDetails, details);
    QFETCH(QString, text);
    QCOMPARE(portInfoText(details), text);
}

void TestCfgSerial::detailShowsPathOfPortPlatformDoesNotList()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    makePanel({}, { pty.portPath() });
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    QString shown;
    runDialog([&](CfgDetail* dialog) {
        shown = dialog->findChild<QLabel*>("lblPortInfo")->text();
        dialog->findChild<QPushButton*>("pbCancel")->click();
    });
    const QString path = pty.portPath();
    QCOMPARE(shown, QString("\n端口:\t  %1\n位置:\t  %1\n描述:\t  N/A\n厂家:\t  N/A"
                            "\n序列号:\t  N/A\n供应商ID: N/A\n产品ID:\t  N/A\n忙:\t  否")
                        .arg(path));
}

void TestCfgSerial::lostPortIsReopenedWhenItComesBackInTime_data()
{
    QTest::addColumn<bool>("autoReconnect");
    QTest::addColumn<bool>("comesBack");
    QTest::newRow("comes back") << true << true;
    QTest::newRow("stays away") << true << false;
    QTest::newRow("automatic reconnect off") << false << true;
}

void TestCfgSerial::lostPortIsReopenedWhenItComesBackInTime()
{
    QFETCH(bool, autoReconnect);
    QFETCH(bool, comesBack);
    // The port is a link to a pseudo-terminal: unplugging removes the link
    // and the terminal (whose number another program may take next),
    // plugging in links a new terminal at the same path.
    auto pty = std::make_unique<PtyPair>();
    QVERIFY(pty->isValid());
    const QString link = m_dir.filePath("ttyLINK");
    QFile::remove(link);
    QVERIFY(QFile::link(pty->portPath(), link));

    WorkerHarness h;
    makePanel({}, { link });
    m_panel->recovery()->setPollMs(20);
    m_panel->recovery()->setWindowMs(comesBack ? 20000 : 300);
    connect(m_panel.get(), &CfgSerial::setParam, h.worker, &WorkerSerial::openPort);
    connect(m_panel.get(), &CfgSerial::closePort, h.worker, &WorkerSerial::closePort);
    connect(h.worker, &WorkerSerial::openState, m_panel.get(), &CfgSerial::portError);
    connect(h.worker, &WorkerSerial::portLost, m_panel.get(), &CfgSerial::portLost);
    QSignalSpy status(m_panel.get(), &CfgSerial::setLog);
    QSignalSpy opens(m_panel.get(), &CfgSerial::setParam);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    QVERIFY(m_panel->findChild<QCheckBox*>("chkAutoReconnect")->isChecked());  // the default
    m_panel->findChild<QCheckBox*>("chkAutoReconnect")->setChecked(autoReconnect);
    m_panel->findChild<QComboBox*>("cmbBaud")->setCurrentText("9600");

    button("pbConnect")->click();
    QTRY_VERIFY_WITH_TIMEOUT(h.worker->isOpen(), kWaitMs);
    QVERIFY(QFile::remove(link));
    pty.reset();
    QTRY_COMPARE_WITH_TIMEOUT(button("pbConnect")->text(), QString("打开串口"), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!h.worker->isOpen(), kWaitMs);

    if (!autoReconnect) {
        QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 1, kWaitMs);
        QCOMPARE(m_messages.first().strTitle, QString("错误"));
        QVERIFY2(m_messages.first().strText.startsWith("串口已断开"), qPrintable(m_messages.first().strText));
        QVERIFY(!m_panel->recovery()->isActive());
        // The box never opens inside the call that reports the loss.
        m_panel->portLost("gone");
        QCOMPARE(m_messages.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 2, kWaitMs);
        QCOMPARE(m_messages.last().strText, QString("串口已断开\ngone"));
        return;
    }
    QCOMPARE(status.last().first().toString(), QString("串口已断开, 等待重新连接"));
    QVERIFY(m_messages.isEmpty());
    if (!comesBack) {
        QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 1, kWaitMs);
        QVERIFY2(m_messages.first().strText.startsWith("串口已断开"), qPrintable(m_messages.first().strText));
        QCOMPARE(status.last().first().toString(), QString("自动重连超时"));
        QCOMPARE(button("pbConnect")->text(), QString("打开串口"));
        return;
    }

    QTest::qWait(100);  // a few looks find nothing
    QVERIFY(!h.worker->isOpen());
    PtyPair again;
    QVERIFY(again.isValid());
    QVERIFY(QFile::link(again.portPath(), link));
    QTRY_VERIFY_WITH_TIMEOUT(h.worker->isOpen(), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(status.last().first().toString(), QString("串口已重新连接: %1").arg(link), kWaitMs);
    QVERIFY(!m_panel->recovery()->isActive());
    QCOMPARE(button("pbConnect")->text(), QString("关闭串口"));
    QVERIFY(m_messages.isEmpty());
    // Same settings as the operator's open.
    QCOMPARE(opens.last().at(1).toString(), link);
    QCOMPARE(opens.last().at(0).value<PortParam>().baudRate, 9600);
    QVERIFY(again.write("x"));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.rxBytes(), QByteArray("x"), kWaitMs);
}

void TestCfgSerial::lineOptionsReachTheWorkerAndPersist()
{
    makePanel(m_entries, {});
    QSignalSpy dtr(m_panel.get(), &CfgSerial::setDtr);
    QSignalSpy rts(m_panel.get(), &CfgSerial::setRts);
    {
        std::unique_ptr<QSettings> ini(openIni());
        ini->setValue("dtr", false);
        ini->setValue("auto_reconnect", false);
        m_panel->loadSettings(ini.get());
    }
    // Loading tells the worker both lines, changed or not.
    QCOMPARE(dtr.size(), 1);
    QCOMPARE(dtr.last().first().toBool(), false);
    QCOMPARE(rts.size(), 1);
    QCOMPARE(rts.last().first().toBool(), true);
    m_panel->findChild<QCheckBox*>("chkRts")->click();
    QCOMPARE(rts.last().first().toBool(), false);
    QVERIFY(!m_panel->findChild<QCheckBox*>("chkAutoReconnect")->isChecked());

    std::unique_ptr<QSettings> ini(openIni());
    m_panel->saveSettings(ini.get());
    QCOMPARE(ini->value("dtr").toBool(), false);
    QCOMPARE(ini->value("rts").toBool(), false);
    QCOMPARE(ini->value("auto_reconnect").toBool(), false);
}

void TestCfgSerial::portHeldElsewhereIsReportedBusy()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    QSerialPort holder(pty.portPath());
    QVERIFY2(holder.open(QIODevice::ReadWrite), qPrintable(holder.errorString()));
    WorkerHarness h;
    makePanel({}, { pty.portPath() });
    connect(m_panel.get(), &CfgSerial::setParam, h.worker, &WorkerSerial::openPort);
    connect(h.worker, &WorkerSerial::openState, m_panel.get(), &CfgSerial::portError);
    std::unique_ptr<QSettings> ini(openIni());
    m_panel->loadSettings(ini.get());
    button("pbConnect")->click();
    QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 1, kWaitMs);
    QCOMPARE(m_messages.first().strText.section('\n', 0, 0), QString("端口忙错误"));
    QCOMPARE(button("pbConnect")->text(), QString("打开串口"));
}

QTEST_MAIN(TestCfgSerial)
#include "tst_cfgserial.moc"
