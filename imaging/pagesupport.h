#pragma once

#include <QImage>
#include "messagehook.h"

#include <QMessageBox>
#include <QRegularExpression>
#include <QString>

#include <functional>

struct PayloadOptions;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QTextEdit;
class QWidget;

// Helpers the two image pages share: message boxes that tests can record,
// the file dialog, the port query, the log view and the address field.

using FileChooser = std::function<QString(QWidget* parent, const QString& dir)>;
using PortOpenQuery = std::function<bool()>;

constexpr int kLogPlain = 0;
constexpr int kLogRed = 1;

class PageHooks
{
public:
    MessageHook message;      // null: a modal QMessageBox
    FileChooser chooseFile;   // null: QFileDialog
    PortOpenQuery portOpen;   // null: the port counts as closed

    // Warnings are titled "告警", errors "错误".
    void warn(QWidget* parent, const QString& text) const;
    void critical(QWidget* parent, const QString& text) const;
    QString askImageFile(QWidget* parent, const QString& dir) const;
    bool isPortOpen() const { return portOpen && portOpen(); }

private:
    void show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) const;
};

// Appends to the log view; nColour kLogRed shows failures in #FF6E6E.
void appendLog(QTextEdit* edit, const QString& text, int nColour, bool bNewline);

// True after complaining that the field is empty (the field then reads "0").
bool checkNotEmpty(QLineEdit* edit, const QString& name, QWidget* parent, const PageHooks& hooks);

// The address field as one unsigned decimal (0 when it is not one, e.g. the
// form address-frequency-id); frequency and wake-up id are always 0.
// Returns -1 after complaining about an empty field.
int readTargetId(QLineEdit* edit, QWidget* parent, const PageHooks& hooks, uint32_t& nAddr, uint16_t& nFreq,
                 uint16_t& nAwakenId);

// Builds the payload; false after telling the operator why it cannot be
// sent (not buildable, or more packets than one byte can number).
bool preparePayload(QWidget* parent, const PageHooks& hooks, QByteArray& payload, const QImage& image,
                    const PayloadOptions& opt);

// The inputs both pages share: the compression list (index 1, "7z", chosen),
// the address pattern and the keep time as a non-negative int.
void setupTransferInputs(QComboBox* compress, QLineEdit* addr, QLineEdit* keepTime,
                         const QRegularExpression& addrPattern);

// What the operator chose for the payload, with the loaded file's facts.
PayloadOptions payloadOptions(const QCheckBox* rle, const QComboBox* compress, quint16 nImgType,
                              const QString& strFilePath, quint32 nFileSize);

// Evaluates the three acknowledgement bytes at p, logs the status line (red
// unless the status is 0) and returns the status; -1 when p is null.
int logPacketStatus(QTextEdit* log, const uchar* p);

void setProgressFailed(QProgressBar* bar, bool bFailed);

// Address field pattern: address-frequency-wake-up id.
extern const char* const kAddrPattern;
