#pragma once

#include "devicecursors.h"
#include "pagesupport.h"
#include "transfertiming.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QRegularExpression>
#include <QString>
#include <QWidget>

#include <cstdint>

class QSettings;
class QTimer;

namespace Ui {
class TransTest;
}

// The page "发送测试": repeats a wake-up, a transfer or both against one
// device on a timer and counts successes and failures. Frames, payload and
// packet bookkeeping are those of the image transfer page.
class TransTest : public QWidget
{
    Q_OBJECT

public:
    enum RunMode { AwakenOnly = 0, SendOnly = 1, AwakenThenSend = 2, SendThenAwaken = 3 };
    struct Counters
    {
        quint32 nTasks = 0;
        quint32 nAwakenOk = 0;
        quint32 nAwakenFail = 0;
        quint32 nSendOk = 0;
        quint32 nSendFail = 0;
    };

    explicit TransTest(QWidget* parent = nullptr);
    ~TransTest() override;

    // The page keeps no settings: every field starts from the form.
    virtual void loadSettings(QSettings* settings);
    virtual void saveSettings(QSettings* settings);

    void setPortOpenQuery(PortOpenQuery query) { m_hooks.portOpen = std::move(query); }
    void setMessageHook(MessageHook hook) { m_hooks.message = std::move(hook); }
    void setFileChooser(FileChooser chooser) { m_hooks.chooseFile = std::move(chooser); }
    void setTimeouts(const TransferTimeouts& timeouts);

    Counters counters() const;
    bool isSending() const { return m_bSending; }
    const QByteArray& payload() const { return m_payload; }

signals:
    void sendData(QByteArray byteData);
    void setLog(QString strLog);

public slots:
    void transResponse(QByteArray byteData);

private slots:
    void openFile();
    void sendFile();
    void recvTimeout();
    void awakenTimeout();
    int getId(uint32_t& nAddr, uint16_t& nFreq, uint16_t& nAwakenId);
    void run();
    void runTask();
    void stop();

private:
    int mode() const;
    void sendAwaken(quint32 nAddr, quint16 nFreq, quint16 nAwakenId, quint32 nKeepTime);
    int onAwakenAnswer(const QByteArray& frame);
    int onPacketAnswer(const QByteArray& frame);
    int packetStatus(const uchar* p);
    void failTransfer(const QByteArray& frame);
    void cutOffRunningTask();
    void printStatistics();
    void resetCounters();
    void appendLog(const QString& text, int nColour, bool bNewline);

    bool m_bSending = false;
    quint16 m_nImgType = 0xFFFF;
    quint16 m_nFreq = 0xFFFF;
    quint16 m_nAwakenId = 0xFFFF;
    quint32 m_nAddr = 0;
    quint32 m_nFileSize = 0;
    quint32 m_nTaskCount = 0;
    quint32 m_nAwakenOk = 0;
    quint32 m_nAwakenFail = 0;
    quint32 m_nSendOk = 0;
    quint32 m_nSendFail = 0;
    Ui::TransTest* ui = nullptr;
    QTimer* m_taskTimer = nullptr;
    QTimer* m_recvTimer = nullptr;
    QTimer* m_awakenTimer = nullptr;
    QElapsedTimer m_awakenTime;
    QElapsedTimer m_sendTime;
    QRegularExpression m_regAddr;
    QString m_strFilePath;
    QByteArray m_payload;
    DeviceCursors m_devices;
    QImage m_image;
    PageHooks m_hooks;
    TransferTimeouts m_timeouts;
};
