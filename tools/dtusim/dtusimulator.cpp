#include "dtusimulator.h"

#include "deviceframereader.h"
#include "dtuframe.h"
#include "simline.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTimer>
#include <QtEndian>

namespace {

// Bytes of an unfinished frame are taken as terminal data once the line has
// been quiet this long.
constexpr int kQuietMs = 100;

}  // namespace

DtuSimulator::DtuSimulator(const SimConfig& config, QObject* parent)
    : QObject(parent)
    , m_config(config)
    , m_line(new SimLine(this))
    , m_reader(new DeviceFrameReader)
    , m_quiet(new QTimer(this))
{
    m_quiet->setSingleShot(true);
    m_quiet->setInterval(kQuietMs);
    connect(m_quiet, &QTimer::timeout, this, [this] {
        for (const LineItem& item : m_reader->flush()) {
            if (item.kind == LineItem::Frame)
                handle(item.bytes);
            else
                emit terminalData(item.bytes);
        }
    });
    connect(m_line, &SimLine::bytesArrived, this, &DtuSimulator::onBytes);
    connect(m_line, &SimLine::lineCut, this, &DtuSimulator::lineCut);
    connect(this, &DtuSimulator::terminalData, this, [this](const QByteArray& bytes) {
        if (m_config.echo)
            m_line->send(bytes);
    });
    for (quint32 addr : m_config.displays) {
        auto display = std::make_unique<EpaperDisplay>(addr);
        display->faults() = m_config.displayFaults;
        display->setWakeDelay(m_config.wakeDelayMs);
        display->setDrawDelay(m_config.drawDelayMs);
        m_displays.push_back(std::move(display));
    }
}

DtuSimulator::~DtuSimulator() = default;

bool DtuSimulator::start(QString& error)
{
    if (!m_config.cmdFile.isEmpty() && !m_params.load(m_config.cmdFile, error))
        return false;
    if (!m_config.outDir.isEmpty() && !QDir().mkpath(m_config.outDir)) {
        error = QString("cannot create %1").arg(m_config.outDir);
        return false;
    }
    const bool ok = m_config.device.isEmpty() ? m_line->openPty(m_config.link, error)
                                              : m_line->openDevice(m_config.device, error);
    if (!ok)
        return false;
    m_line->setRate(m_config.lineRate);
    return m_config.tcpPort < 0 || m_line->listenTcp(quint16(m_config.tcpPort), error);
}

QString DtuSimulator::portPath() const
{
    return m_line->path();
}

QString DtuSimulator::tcpPortName() const
{
    const quint16 nPort = m_line->tcpPort();
    return nPort ? QStringLiteral("socket://127.0.0.1:%1").arg(nPort) : QString();
}

EpaperDisplay* DtuSimulator::display(quint32 nAddr)
{
    for (auto& d : m_displays)
        if (d->address() == nAddr)
            return d.get();
    return nullptr;
}

qint64 DtuSimulator::bytesIn() const
{
    return m_line->bytesIn();
}

qint64 DtuSimulator::bytesOut() const
{
    return m_line->bytesOut();
}

void DtuSimulator::onBytes(const QByteArray& bytes)
{
    m_reader->append(bytes);
    for (const LineItem& item : m_reader->take()) {
        if (item.kind == LineItem::Frame)
            handle(item.bytes);
        else
            emit terminalData(item.bytes);
    }
    if (m_reader->hasPending())
        m_quiet->start();
}

void DtuSimulator::handle(const QByteArray& frame)
{
    emit frameReceived(frame);
    const quint8 ctl = frameControl(frame);
    const QByteArray payload = frame.mid(dtu::kPayloadOffset, frame.size() - dtu::kOverhead);

    if (ctl == dtu::kCtlAwaken) {
        for (auto& d : m_displays)
            for (const Reply& r : d->onWakeRequest(payload))
                reply(r.frame, r.delayMs);
        return;
    }
    if (ctl == dtu::kCtlPacket) {
        if (payload.size() >= 10 && int(quint8(payload.at(9))) == m_config.lineFaults.cutAtPacket) {
            emit logLine(QString("cutting the line at packet %1").arg(m_config.lineFaults.cutAtPacket));
            m_line->cut();
            return;
        }
        for (auto& d : m_displays) {
            for (const Reply& r : d->onPacket(frameAddress(frame), payload))
                reply(r.frame, r.delayMs);
            if (d->hasCompleted()) {
                DecodedPayload decoded;
                const QByteArray whole = d->takeCompleted(decoded);
                saveImage(d->address(), decoded.image, whole);
                emit logLine(decoded.ok ? QString("display %1 shows a %2x%3 image")
                                              .arg(d->address()).arg(decoded.image.width()).arg(decoded.image.height())
                                        : QString("display %1 cannot decode: %2").arg(d->address()).arg(decoded.error));
                emit imageReceived(d->address(), decoded.image, whole, decoded.error);
            }
        }
        return;
    }
    if (m_params.handles(ctl)) {
        for (const QByteArray& answer : m_params.answer(frame))
            reply(answer, 0);
        return;
    }
    if (ctl == dtu::kCtlTerminalId && payload.size() >= 4) {
        emit terminalData(payload.mid(4));
        return;
    }
    if (ctl == dtu::kCtlUserData && payload.size() >= 8) {
        emit terminalData(payload.mid(8));
        return;
    }
    emit logLine(QString("frame with control 0x%1 ignored").arg(ctl, 2, 16, QChar('0')));
}

void DtuSimulator::reply(const QByteArray& frame, int nDelayMs)
{
    const LineFaults& f = m_config.lineFaults;
    if (f.noiseBytes > 0) {
        QByteArray noise(f.noiseBytes, '\0');
        for (char& c : noise)
            c = char(QRandomGenerator::global()->bounded(256));
        m_line->send(noise, nDelayMs);
    }
    if (!f.splitFrames) {
        m_line->send(frame, nDelayMs);
        return;
    }
    const int first = f.splitAt > 0 ? qMin(f.splitAt, frame.size() - 1) : frame.size() / 2;
    m_line->send(frame.left(first), nDelayMs);
    m_line->send(frame.mid(first), nDelayMs + qMax(1, f.splitPauseMs));
}

void DtuSimulator::saveImage(quint32 nAddr, const QImage& image, const QByteArray& payload)
{
    if (m_config.outDir.isEmpty())
        return;
    ++m_nImages;
    const QString base = QDir(m_config.outDir).filePath(QString("display-%1-%2").arg(nAddr).arg(m_nImages));
    QFile raw(base + ".bin");
    if (raw.open(QIODevice::WriteOnly))
        raw.write(payload);
    if (!image.isNull())
        image.save(base + ".png");
}
