#pragma once

#include "clisettings.h"
#include "workerserial.h"

#include <QByteArray>
#include <QEventLoop>
#include <QObject>
#include <QString>

class CliOutput;

// The serial worker as one command uses it: opened in this thread from the
// port choice, and an event loop that ends when the command is done, the
// port goes away, the time runs out or the operator interrupts.
class CliLink : public QObject
{
    Q_OBJECT
public:
    explicit CliLink(CliOutput& out, QObject* parent = nullptr);
    ~CliLink() override;

    // cliexit::kOk, or the failure's status after saying why.
    int open(const PortChoice& choice);
    WorkerSerial& worker() { return m_worker; }
    // Writes and waits until the bytes have left; false after saying why.
    bool sendAll(const QByteArray& bytes);

    // Runs until done() (its status), the port is lost (kPort, said why),
    // nTimeoutMs pass (kTimeout; below 0: no limit) or SIGINT/SIGTERM
    // (kOk, interrupted() true).
    int wait(int nTimeoutMs = -1);
    void done(int nStatus);
    bool interrupted() const { return m_bInterrupted; }
    // Why the port was lost, for the error line.
    QString errorText() const { return m_strError; }

private:
    CliOutput& m_out;
    WorkerSerial m_worker;
    QString m_strPort;
    QString m_strError;
    QEventLoop* m_loop = nullptr;
    bool m_bInterrupted = false;
};
