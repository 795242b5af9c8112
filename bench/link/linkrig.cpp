#include "linkrig.h"

#include "dtuframe.h"
#include "portparam.h"
#include "transtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtEndian>

#include <cstdio>

LinkRig::LinkRig(const SimConfig& config, Via via, QObject* parent)
    : QObject(parent)
    , m_sim(new DtuSimulator(config))
    , m_worker(new WorkerSerial)
    , m_via(via)
{
    // Counted where the frames arrive, in the simulator's thread.
    connect(m_sim, &DtuSimulator::frameReceived, m_sim, [this](const QByteArray& frame) {
        const quint8 ctl = frameControl(frame);
        if (ctl == dtu::kCtlAwaken) {
            ++m_nWakeRequests;
        } else if (ctl == dtu::kCtlPacket) {
            ++m_nPackets;
            // Payload: u32 target, u32 size, u8 count, u8 index, data.
            if (frame.size() > dtu::kPayloadOffset + 9 && frame.at(dtu::kPayloadOffset + 9) == 0)
                ++m_nTransfers;
        }
    });
    connect(m_sim, &DtuSimulator::imageReceived, m_sim, [this] { ++m_nImages; });
    m_sim->moveToThread(&m_simThread);
    m_worker->moveToThread(&m_workerThread);
    m_simThread.start();
    m_workerThread.start();
}

LinkRig::~LinkRig()
{
    QMetaObject::invokeMethod(m_worker, [this] { delete m_worker; }, Qt::BlockingQueuedConnection);
    QMetaObject::invokeMethod(m_sim, [this] { delete m_sim; }, Qt::BlockingQueuedConnection);
    m_workerThread.quit();
    m_simThread.quit();
    m_workerThread.wait();
    m_simThread.wait();
}

bool LinkRig::start(QString& error)
{
    bool ok = false;
    QMetaObject::invokeMethod(m_sim, [&] { ok = m_sim->start(error); }, Qt::BlockingQueuedConnection);
    if (!ok)
        return false;
    QString strPort = m_sim->portPath();
    if (m_via != Via::Local) {
        m_ser2net = std::make_unique<Ser2netServer>();
        if (!m_ser2net->start(strPort, error, m_serverOptions))
            return false;
        strPort = m_via == Via::Raw ? m_ser2net->rawName() : m_ser2net->rfc2217Name();
    }
    registerPortParam();
    PortParam p;
    p.baudRate = 115200;
    p.dataBits = 8;
    p.stopBits = 1;
    QMetaObject::invokeMethod(m_worker, "openPort", Q_ARG(QVariant, QVariant::fromValue(p)),
                              Q_ARG(QString, strPort));
    if (!waitFor([this] { return m_worker->isOpen(); }, 5000)) {
        error = QStringLiteral("the worker did not open %1").arg(strPort);
        return false;
    }
    return true;
}

SimCounts LinkRig::counts()
{
    SimCounts c;
    QMetaObject::invokeMethod(
        m_sim,
        [&] {
            c.nBytesIn = m_sim->bytesIn();
            c.nBytesOut = m_sim->bytesOut();
        },
        Qt::BlockingQueuedConnection);
    c.nWakeRequests = m_nWakeRequests;
    c.nTransfers = m_nTransfers;
    c.nPackets = m_nPackets;
    c.nImages = m_nImages;
    return c;
}

void LinkRig::wakeDisplay(quint32 nAddr)
{
    QMetaObject::invokeMethod(
        m_sim,
        [this, nAddr] {
            if (EpaperDisplay* d = m_sim->display(nAddr)) {
                QByteArray request(8, '\0');
                qToLittleEndian<quint32>(nAddr, request.data());
                d->onWakeRequest(request);
            }
        },
        Qt::BlockingQueuedConnection);
}

bool waitFor(const std::function<bool()>& done, int nTimeoutMs)
{
    if (done())
        return true;
    // A short tick rather than a busy loop: the simulator and the worker
    // share the machine's cores with this thread.
    QElapsedTimer t;
    t.start();
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(2);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || t.elapsed() > nTimeoutMs)
            loop.quit();
    });
    tick.start();
    loop.exec();
    return done();
}

void prepareTestPage(TransTest& page, LinkRig& rig, const QString& photo, int nMode, int nCompress, quint32 nAddr,
                     const QString& strInterval)
{
    rig.attach(&page);
    page.setMessageHook([](QMessageBox::Icon, const QString&, const QString& text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });
    page.setFileChooser([photo](QWidget*, const QString&) { return photo; });
    page.findChild<QPushButton*>("pbFileImport")->click();
    page.findChild<QCheckBox*>("chkRle")->setChecked(true);
    page.findChild<QComboBox*>("cmbCompress")->setCurrentIndex(nCompress);
    page.findChild<QComboBox*>("cmbRun")->setCurrentIndex(nMode);
    page.findChild<QLineEdit*>("editDstAddr")->setText(QString::number(nAddr));
    page.findChild<QLineEdit*>("editKeepTime")->setText("1000");
    page.findChild<QLineEdit*>("editFileInterval")->setText(strInterval);
}
