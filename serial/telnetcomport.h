#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <array>

#include "portparam.h"

// The Telnet layer of a network serial port with the COM-PORT option
// (RFC 2217), without any I/O: feed it what the socket delivered, get back
// the data bytes, the answers owed to the server and the server's com-port
// messages; escape data before writing it.
//
// Options we agree to: BINARY and SUPPRESS-GO-AHEAD both ways, COM-PORT on
// our side. Every other option is refused; a request is answered only when
// it changes the option's state, so two peers never loop.
class TelnetComPort
{
public:
    static constexpr quint8 kIac = 255;
    static constexpr quint8 kDont = 254;
    static constexpr quint8 kDo = 253;
    static constexpr quint8 kWont = 252;
    static constexpr quint8 kWill = 251;
    static constexpr quint8 kSb = 250;
    static constexpr quint8 kSe = 240;
    static constexpr quint8 kOptBinary = 0;
    static constexpr quint8 kOptSga = 3;
    static constexpr quint8 kOptComPort = 44;
    // Longest subnegotiation kept; longer ones are skipped whole.
    static constexpr int kMaxSubneg = 64;

    // Client-to-server com-port commands; the server answers with +100.
    enum Command : quint8 {
        SetBaudRate = 1,
        SetDataSize = 2,
        SetParity = 3,
        SetStopSize = 4,
        SetControl = 5,
        NotifyLineState = 6,
        NotifyModemState = 7,
        FlowSuspend = 8,
        FlowResume = 9,
        SetLineStateMask = 10,
        SetModemStateMask = 11,
        PurgeData = 12,
        ServerOffset = 100,
    };
    // Values of SetControl.
    enum Control : quint8 {
        NoFlow = 1,
        XonXoff = 2,
        Hardware = 3,
        DtrOn = 8,
        DtrOff = 9,
        RtsOn = 11,
        RtsOff = 12,
    };

    // A com-port subnegotiation from the server: its command byte (101..112
    // for answers and notifications) and the unescaped value bytes.
    struct Message
    {
        quint8 command = 0;
        QByteArray value;
        bool operator==(const Message& o) const { return command == o.command && value == o.value; }
    };

    // Doubles every 0xFF so that data bytes never read as commands.
    static QByteArray escape(const QByteArray& data);
    // IAC SB COM-PORT command value IAC SE, value escaped.
    static QByteArray command(quint8 nCommand, const QByteArray& value);
    static QByteArray setBaudRate(quint32 nBaud);
    static QByteArray setByte(quint8 nCommand, quint8 nValue);
    // The option's values for QSerialPort's parity and flow control; -1
    // for a value it has none for.
    static int parityCode(qint32 nParity);
    static int flowCode(qint32 nFlow);
    // Baud rate, data size, parity, stop size and flow control in one go.
    static QByteArray settingsCommands(const PortParam& param);
    // SET-CONTROL commands for DTR and RTS (RTS left alone under hardware flow control).
    static QByteArray modemLineCommands(bool bDtr, bool bRts, qint32 nFlow);

    // The opening requests: WILL COM-PORT, WILL and DO BINARY, WILL and DO SGA.
    QByteArray start();

    // Takes bytes as they came from the socket, in any split. Returns the
    // data bytes; appends the answers to send to *reply and the server's
    // com-port messages to *messages.
    QByteArray feed(const QByteArray& in, QByteArray* reply, QList<Message>* messages);

    // The server agreed (DO COM-PORT): settings may be sent now.
    bool comPortActive() const { return m_us[kOptComPort] == Yes; }

private:
    enum OptState : quint8 { No, Yes, WantYes };
    enum Parse : quint8 { Data, Iac, Verb, SbOption, SbData, SbIac };

    static bool acceptUs(quint8 nOpt);
    static bool acceptHim(quint8 nOpt);
    void request(quint8 nVerb, quint8 nOpt, QByteArray* out);
    void onVerb(quint8 nVerb, quint8 nOpt, QByteArray* reply);
    void endSubneg(QList<Message>* messages);

    std::array<OptState, 256> m_us {};   // options we perform
    std::array<OptState, 256> m_him {};  // options the server performs
    Parse m_parse = Data;
    quint8 m_nVerb = 0;
    quint8 m_nSbOption = 0;
    bool m_bSbOverflow = false;
    QByteArray m_sb;
};
