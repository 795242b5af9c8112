#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair in raw mode. The program under test opens
// portPath() like any serial device; the test plays the device through
// the controller side with write() and read().
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return m_controller >= 0; }
    QString portPath() const { return m_path; }

    // Writes every byte; false on error.
    bool write(const QByteArray& bytes);
    // Reads whatever arrives until nBytes are collected or nTimeoutMs pass
    // without progress; keeps the Qt event loop running meanwhile.
    QByteArray read(int nBytes, int nTimeoutMs = 2000);
    // Reads what arrives within nMs, without waiting for a count.
    QByteArray drain(int nMs = 50);
    // Closes the device side, as if the far end hung up.
    void closeController();

private:
    int m_controller = -1;
    int m_device = -1;  // kept open so the line stays up while the port reopens
    QString m_path;
};
