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

class QLineEdit;
class QSettings;
class QTimer;

namespace Ui {
class FileTrans;
}

// The page "发送图片": imports an image, prepares its payload and sends it to
// a display: wake-up (unless the address is 0), then 1024-byte packets, one
// in flight per answering device. Logs display state reports at any time.
class FileTrans : public QWidget
{
    Q_OBJECT

public:
    explicit FileTrans(QWidget* parent = nullptr);
    ~FileTrans() override;

    virtual void loadSettings(QSettings* settings);
    virtual void saveSettings(QSettings* settings);

    // The page only asks whether the port is open (null: it counts as closed).
    void setPortOpenQuery(PortOpenQuery query) { m_hooks.portOpen = std::move(query); }
    void setMessageHook(MessageHook hook) { m_hooks.message = std::move(hook); }
    void setFileChooser(FileChooser chooser) { m_hooks.chooseFile = std::move(chooser); }
    void setTimeouts(const TransferTimeouts& timeouts);

    int loadImageFile(const QString& path);
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
    void setPoint();
    int getId(uint32_t& nAddr, uint16_t& nFreq, uint16_t& nAwakenId);

private:
    void sendAwaken(quint32 nAddr, quint16 nFreq, quint16 nAwakenId, quint32 nKeepTime);
    void startPacketPhase();
    int onAwakenAnswer(const QByteArray& frame);
    int onPacketAnswer(const QByteArray& frame);
    int onDisplayState(const QByteArray& frame);
    int packetStatus(const uchar* p);
    void failTransfer(const QByteArray& frame);
    void finish(int nProgress);
    void setIdleButton();
    void appendLog(const QString& text, int nColour, bool bNewline);

    bool m_bSending = false;
    quint16 m_nImgType = 0xFFFF;
    quint16 m_nFreq = 0xFFFF;
    quint16 m_nAwakenId = 0xFFFF;
    quint32 m_nAddr = 0;
    quint32 m_nFileSize = 0;
    Ui::FileTrans* ui = nullptr;
    QTimer* m_recvTimer = nullptr;
    QTimer* m_awakenTimer = nullptr;
    QTimer* m_pointTimer = nullptr;
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
