#include "clilink.h"

#include "clioutput.h"
#include "exitcodes.h"
#include "interrupt.h"

#include <QTimer>

namespace {

constexpr int kFlushTimeoutMs = 10000;

const char* rejectedSetting(int nCode)
{
    switch (nCode) {
    case -3: return "baud rate";
    case -4: return "data bits";
    case -5: return "stop bits";
    case -6: return "parity";
    default: return "flow control";
    }
}

}  // namespace

CliLink::CliLink(CliOutput& out, QObject* parent)
    : QObject(parent)
    , m_out(out)
{
    connect(&m_worker, &WorkerSerial::portLost, this, [this](const QString& strReason) {
        m_strError = QStringLiteral("port %1 lost: %2").arg(m_strPort, strReason);
        done(cliexit::kPort);
    });
    connect(interruptNotifier(), &InterruptNotifier::interrupted, this, [this] {
        m_bInterrupted = true;
        done(cliexit::kOk);
    });
}

CliLink::~CliLink() = default;

int CliLink::open(const PortChoice& choice)
{
    m_strPort = choice.strPort;
    int nState = 0;
    const auto c = connect(&m_worker, &WorkerSerial::openState, this, [&nState](int n) { nState = n; });
    m_worker.openPort(QVariant::fromValue(choice.param), choice.strPort);
    disconnect(c);
    switch (nState) {
    case 8:
        return cliexit::kOk;
    case -1:
        return m_out.fail(cliexit::kUsage,
                          QStringLiteral("no port: give --port PATH (or open one in the window once)"));
    case -2:
        return m_out.fail(cliexit::kPort,
                          QStringLiteral("cannot open %1: busy (%2)").arg(m_strPort, m_worker.errorString()));
    case -8:
        return m_out.fail(cliexit::kPort, QStringLiteral("cannot open %1: %2").arg(m_strPort, m_worker.errorString()));
    default:
        return m_out.fail(cliexit::kPort, QStringLiteral("%1: %2 rejected (%3)")
                                              .arg(m_strPort, QLatin1String(rejectedSetting(nState)),
                                                   m_worker.errorString()));
    }
}

bool CliLink::sendAll(const QByteArray& bytes)
{
    m_worker.sendData(bytes);
    if (m_worker.flush(kFlushTimeoutMs))
        return true;
    m_strError = QStringLiteral("cannot write to %1: %2").arg(m_strPort, m_worker.errorString());
    return false;
}

int CliLink::wait(int nTimeoutMs)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, [&loop] { loop.exit(cliexit::kTimeout); });
    if (nTimeoutMs >= 0)
        timer.start(nTimeoutMs);
    QEventLoop* outer = m_loop;
    m_loop = &loop;
    const int nStatus = m_bInterrupted ? cliexit::kOk : loop.exec();
    m_loop = outer;
    return nStatus;
}

void CliLink::done(int nStatus)
{
    if (m_loop)
        m_loop->exit(nStatus);
}
