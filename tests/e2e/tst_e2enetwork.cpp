// The whole program reaching the simulated DTU over the network: through a
// real ser2net (raw TCP and RFC 2217) in front of the simulator's pty, and
// through the simulator's own TCP port.
#include "programrig.h"

#include "cfgserial.h"
#include "filetrans.h"
#include "payload.h"
#include "rxtx.h"
#include "ser2netserver.h"
#include "workerserial.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <memory>

class TestE2eNetwork : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void imageReachesTheDisplayThroughEveryServer_data();
    void imageReachesTheDisplayThroughEveryServer();
    void typedAddressOpensAndCarriesTerminalData();

private:
    // Starts the simulator and whatever serves it; the port name to open.
    QString startServing(const QString& strServer);

    QTemporaryDir m_dir;
    QString m_greyPng;
    QString m_photoBmp;
    std::unique_ptr<ProgramRig> m_rig;
    std::unique_ptr<Ser2netServer> m_ser2net;
};

void TestE2eNetwork::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QVERIFY(QFile::copy(TELVANE_SHIPPED_CMDS, "cmds.json"));
    m_greyPng = m_dir.filePath("grey.png");
    QVERIFY(sampleGreyImage().save(m_greyPng, "PNG"));
    m_photoBmp = m_dir.filePath("photo.bmp");
    QVERIFY(samplePhoto().save(m_photoBmp, "BMP"));
}

void TestE2eNetwork::init()
{
    QFile ini("Telvane.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[RxTx]\nRxDecode=true\n");
    ini.close();
    m_rig = std::make_unique<ProgramRig>(m_dir.path());
}

void TestE2eNetwork::cleanup()
{
    const QStringList messages = m_rig ? m_rig->messages() : QStringList();
    m_rig.reset();
    m_ser2net.reset();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(" | ")));
}

QString TestE2eNetwork::startServing(const QString& strServer)
{
    SimConfig config = ProgramRig::quickConfig();
    if (strServer == "dtusim")
        config.tcpPort = 0;
    QString error;
    if (!m_rig->startSimulator(config, error)) {
        qWarning("simulator: %s", qPrintable(error));
        return QString();
    }
    if (strServer == "dtusim")
        return m_rig->sim()->tcpPortName();
    m_ser2net = std::make_unique<Ser2netServer>();
    if (!m_ser2net->start(m_rig->sim()->portPath(), error)) {
        qWarning("ser2net: %s", qPrintable(error));
        return QString();
    }
    return strServer == "raw" ? m_ser2net->rawName() : m_ser2net->rfc2217Name();
}

void TestE2eNetwork::imageReachesTheDisplayThroughEveryServer_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("container");
    QTest::addColumn<int>("compress");

    for (const char* server : { "raw", "rfc2217", "dtusim" }) {
        const QByteArray via = QByteArray(" via ") + server;
        QTest::newRow("raw file" + via) << server << false << kCompressNone;
        QTest::newRow("raw file, 7z" + via) << server << false << kCompressLzma;
        QTest::newRow("container" + via) << server << true << kCompressNone;
        QTest::newRow("container, 7z" + via) << server << true << kCompressLzma;
    }
}

void TestE2eNetwork::imageReachesTheDisplayThroughEveryServer()
{
    QFETCH(QString, server);
    QFETCH(bool, container);
    QFETCH(int, compress);

    const QString strPort = startServing(server);
    QVERIFY(!strPort.isEmpty());
    QString error;
    QVERIFY2(m_rig->openWindow(error, strPort), qPrintable(error));
    QVERIFY(m_rig->importImage(container ? m_greyPng : m_photoBmp));
    m_rig->setImageMode(container, compress);
    QSignalSpy images(m_rig->sim(), &DtuSimulator::imageReceived);
    m_rig->pushImage(QString::number(ProgramRig::kDisplay));

    QVERIFY2(m_rig->waitForLog("墨水屏 #1674097996 状态: 刷屏成功"), qPrintable(m_rig->imageLog()));
    QCOMPARE(m_rig->imagePage()->findChild<QProgressBar*>("progress")->value(), 100);
    QCOMPARE(images.size(), 1);
    QCOMPARE(images.at(0).at(2).toByteArray(), m_rig->imagePage()->payload());
    QVERIFY2(images.at(0).at(3).toString().isEmpty(), qPrintable(images.at(0).at(3).toString()));
}

void TestE2eNetwork::typedAddressOpensAndCarriesTerminalData()
{
    const QString strPort = startServing("rfc2217");
    QVERIFY(!strPort.isEmpty());
    QString error;
    QVERIFY2(m_rig->openWindow(error), qPrintable(error));  // on the pty first
    auto* connect = m_rig->child<QPushButton>("pbConnect");
    QTest::mouseClick(connect, Qt::LeftButton);
    QTRY_VERIFY(!m_rig->window()->worker()->isOpen());

    QLineEdit* edit = m_rig->child<QComboBox>("cmbPort")->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, strPort);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(m_rig->child<QComboBox>("cmbPort")->currentData().toString(), strPort);
    QVERIFY(m_rig->openPort());

    auto* page = m_rig->child<RxTx>("tabRxTx");
    page->findChild<QRadioButton*>("radioTxHex")->setChecked(true);
    page->findChild<QRadioButton*>("radioRxChar")->setChecked(true);
    page->findChild<QTextEdit*>("textEditTx")->setPlainText("41 FF FF 0D 00 0A FF");
    const QByteArray sent = QByteArray::fromHex("41ffff0d000aff");
    QSignalSpy atDevice(m_rig->sim(), &DtuSimulator::terminalData);
    QTest::mouseClick(page->findChild<QPushButton*>("pbSend"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(atDevice.size(), 1, 10000);
    QCOMPARE(atDevice.at(0).at(0).toByteArray().toHex(), sent.toHex());
    // The simulator sends it back: the received chunks hold it whole.
    const auto received = [page] {
        QByteArray bytes;
        for (const RxEntry& entry : page->rxDisplay().store())
            if (entry.kind == RxEntry::Received)
                bytes += entry.data;
        return bytes;
    };
    QTRY_VERIFY_WITH_TIMEOUT(received().contains(sent), 10000);
}

QTEST_MAIN(TestE2eNetwork)
#include "tst_e2enetwork.moc"
