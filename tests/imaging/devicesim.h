#pragma once

#include "ptypair.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>

#include <functional>

// The DTU and the displays behind it, played over a real pseudo-terminal:
// what a page emits with sendData is written to the device end of the pty
// and read back here frame by frame from the controller end.
class DeviceSim : public QObject
{
    Q_OBJECT

public:
    DeviceSim();
    bool isValid() const { return m_port.isOpen(); }

    // Connect a page's sendData(QByteArray) here.
    void write(const QByteArray& frame);
    // Next complete frame the program sent; empty after nTimeoutMs of silence.
    QByteArray nextFrame(int nTimeoutMs = 5000);
    // True when nothing arrives within nMs.
    bool staysSilent(int nMs);

    // Delivers an answer frame to the page.
    std::function<void(const QByteArray&)> deliver;
    void answer(const QByteArray& frame) { deliver(frame); }

private:
    PtyPair m_pty;
    QSerialPort m_port;
    QByteArray m_buffer;
};
