#pragma once

#include <QByteArray>
#include <QString>

// What the send controls of the terminal page hold at the moment of sending.
// "Shown" flags say whether the page currently shows that option.
struct TxOptions
{
    QString strText;        // typed send text
    int nTxMode = 0;        // txmode::kHex or txmode::kText
    bool bReturn = false;   // append CR LF (text mode only)

    bool bTxOptShown = false;  // destination user ID / delay time options
    bool bDstUsrId = false;
    QString strDstUsrId;       // decimal
    bool bInterval = false;
    QString strInterval;       // decimal milliseconds
    QString strDstAddr;        // hexadecimal device address

    bool bCustomCtl = false;
    QString strCustomCtl;      // one or two hex digits

    bool bTerminalIdShown = true;
    bool bTerminalId = false;
    QString strTerminalId;     // decimal
};

enum class TxError
{
    None,
    Nothing,            // nothing to send (empty text, no custom command)
    EmptyCustomCtl,
    EmptyDstAddr,
    PayloadTooLong,     // a frame's payload would exceed 65535 bytes
};

struct TxResult
{
    TxError error = TxError::None;
    QByteArray bytes;  // raw data or a complete frame; empty unless error is None
};

// Chooses the framing (custom control code, 0x01 user data, 0x64 terminal
// ID, or raw) and builds the bytes to send.
TxResult composeTx(const TxOptions& opt);
