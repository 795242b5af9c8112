#pragma once

#include "pagesupport.h"
#include "sourceimage.h"
#include "transfersession.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QWidget>

class QSettings;

namespace Ui {
class FileTrans;
}

// The page "发送图片": imports an image, and sends it with a transfer
// session (wake-up unless the address is 0, then 1024-byte packets, one in
// flight per answering device), showing the session's log, progress and
// display state reports. "显示效果" previews the image as the display will
// show it; the batch panel pushes the same image to a list of displays,
// one transfer at a time, never beside a single transfer.
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
    void setPayloadCopyPath(const QString& strPath) { m_hooks.payloadCopy = strPath; }
    void setTimeouts(const TransferTimeouts& timeouts);

    ImageLoadResult loadImageFile(const QString& path);
    bool isSending() const;
    // A transfer or a batch is running; cancelTransfer ends it as the stop button does.
    bool isBusy() const { return isSending(); }
    void cancelTransfer();
    const QByteArray& payload() const { return m_session.payload(); }

signals:
    void sendData(QByteArray byteData);
    void setLog(QString strLog);

public slots:
    void transResponse(QByteArray byteData);

private slots:
    void openFile();
    void sendFile();
    int getId(quint32& nAddr);

private:
    void onFinished(const TransferOutcome& outcome);
    // What a transfer sends to nAddr with the page's current fields.
    TransferOptions transferOptions(quint32 nAddr) const;
    bool batchOptions(TransferOptions& options);
    void showPreview();

    Ui::FileTrans* ui = nullptr;
    QRegularExpression m_regAddr;
    SourceImage m_source;
    TransferSession m_session;
    PageHooks m_hooks;
};
