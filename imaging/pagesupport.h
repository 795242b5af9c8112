#pragma once

#include "messagehook.h"
#include "sourceimage.h"
#include "transfersession.h"

#include <QCoreApplication>
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
// the file dialog, the port query, the log view and the input fields.

using FileChooser = std::function<QString(QWidget* parent, const QString& dir)>;
using PortOpenQuery = std::function<bool()>;

class PageHooks
{
    Q_DECLARE_TR_FUNCTIONS(PageHooks)

public:
    MessageHook message;      // null: a modal QMessageBox
    FileChooser chooseFile;   // null: QFileDialog
    PortOpenQuery portOpen;   // null: the port counts as closed
    QString payloadCopy = QStringLiteral("data.bin");  // where each payload is also written

    // Warnings are titled "告警", errors "错误".
    void warn(QWidget* parent, const QString& text) const;
    void critical(QWidget* parent, const QString& text) const;
    // The file to import: empty when the operator cancels, or after warning
    // that a transfer runs.
    QString askImportFile(QWidget* parent, bool bSending, const QString& dir) const;
    // Warns about an import that did not load; the test page calls a missing
    // file unopenable, the image page an unknown error.
    void warnImportFailure(QWidget* parent, ImageLoadResult r, bool bMissingUnopenable, const QString& path) const;
    bool isPortOpen() const { return portOpen && portOpen(); }

private:
    void show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) const;
};

// A log view keeps its newest lines only, so that a run of days stays
// within bounds (the document drops its oldest blocks; undo is off).
constexpr int kLogMaxBlocks = 10000;
void setupLogView(QTextEdit* edit);

// Appends to the log view; failures show in #FF6E6E. An empty line with a
// newline starts a new paragraph.
void appendLog(QTextEdit* edit, const LogLine& line);

// The address field as one unsigned decimal (0 when it is not one, e.g. the
// form address-frequency-id). Returns -1 after complaining about an empty
// field (which then reads "0"), else 0.
int readTargetId(QLineEdit* edit, QWidget* parent, const PageHooks& hooks, quint32& nAddr);

// The inputs both pages share: the compression list (index 1, "7z", chosen),
// the address pattern and the keep time as a non-negative int.
void setupTransferInputs(QComboBox* compress, QLineEdit* addr, QLineEdit* keepTime,
                         const QRegularExpression& addrPattern);

// What the operator chose for the payload, with the loaded file's facts.
PayloadOptions payloadOptions(const QCheckBox* rle, const QComboBox* compress, const SourceImage& source,
                              const QString& strSavePath);

void setProgressFailed(QProgressBar* bar, bool bFailed);

// Address field pattern: address-frequency-wake-up id.
extern const char* const kAddrPattern;
