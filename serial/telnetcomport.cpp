#include "telnetcomport.h"

QByteArray TelnetComPort::escape(const QByteArray& data)
{
    if (!data.contains(char(kIac)))
        return data;
    QByteArray out;
    out.reserve(data.size() + data.count(char(kIac)));
    for (const char c : data) {
        out.append(c);
        if (quint8(c) == kIac)
            out.append(c);
    }
    return out;
}

QByteArray TelnetComPort::command(quint8 nCommand, const QByteArray& value)
{
    QByteArray out;
    out.append(char(kIac)).append(char(kSb)).append(char(kOptComPort)).append(char(nCommand));
    out.append(escape(value));
    out.append(char(kIac)).append(char(kSe));
    return out;
}

QByteArray TelnetComPort::setBaudRate(quint32 nBaud)
{
    // Network byte order.
    const char value[4] = { char(nBaud >> 24), char(nBaud >> 16), char(nBaud >> 8), char(nBaud) };
    return command(SetBaudRate, QByteArray(value, 4));
}

QByteArray TelnetComPort::setByte(quint8 nCommand, quint8 nValue)
{
    return command(nCommand, QByteArray(1, char(nValue)));
}

int TelnetComPort::parityCode(qint32 nParity)
{
    switch (nParity) {
    case 0: return 1;  // none
    case 3: return 2;  // odd
    case 2: return 3;  // even
    case 5: return 4;  // mark
    case 4: return 5;  // space
    default: return -1;
    }
}

int TelnetComPort::flowCode(qint32 nFlow)
{
    switch (nFlow) {
    case 0: return NoFlow;
    case 1: return Hardware;
    case 2: return XonXoff;
    default: return -1;
    }
}

QByteArray TelnetComPort::settingsCommands(const PortParam& param)
{
    // QSerialPort's stop bit values (1 one, 2 two, 3 one and a half) are the option's.
    return setBaudRate(quint32(param.baudRate)) + setByte(SetDataSize, quint8(param.dataBits))
        + setByte(SetParity, quint8(parityCode(param.parity))) + setByte(SetStopSize, quint8(param.stopBits))
        + setByte(SetControl, quint8(flowCode(param.flowControl)));
}

QByteArray TelnetComPort::modemLineCommands(bool bDtr, bool bRts, qint32 nFlow)
{
    // Under hardware flow control RTS is the far port's own business.
    QByteArray out = setByte(SetControl, bDtr ? DtrOn : DtrOff);
    if (nFlow != 1)
        out += setByte(SetControl, bRts ? RtsOn : RtsOff);
    return out;
}

bool TelnetComPort::acceptUs(quint8 nOpt)
{
    return nOpt == kOptBinary || nOpt == kOptSga || nOpt == kOptComPort;
}

bool TelnetComPort::acceptHim(quint8 nOpt)
{
    return nOpt == kOptBinary || nOpt == kOptSga;
}

void TelnetComPort::request(quint8 nVerb, quint8 nOpt, QByteArray* out)
{
    std::array<OptState, 256>& side = nVerb == kWill ? m_us : m_him;
    if (side[nOpt] != No)
        return;
    side[nOpt] = WantYes;
    out->append(char(kIac)).append(char(nVerb)).append(char(nOpt));
}

QByteArray TelnetComPort::start()
{
    QByteArray out;
    request(kWill, kOptComPort, &out);
    request(kWill, kOptBinary, &out);
    request(kDo, kOptBinary, &out);
    request(kWill, kOptSga, &out);
    request(kDo, kOptSga, &out);
    return out;
}

void TelnetComPort::onVerb(quint8 nVerb, quint8 nOpt, QByteArray* reply)
{
    const bool bAbout = nVerb == kDo || nVerb == kDont;  // about our side
    std::array<OptState, 256>& side = bAbout ? m_us : m_him;
    const bool bEnable = nVerb == kDo || nVerb == kWill;
    const quint8 nYes = bAbout ? kWill : kDo;
    const quint8 nNo = bAbout ? kWont : kDont;
    quint8 nAnswer = 0;
    if (bEnable) {
        if (side[nOpt] == WantYes) {
            side[nOpt] = Yes;  // the answer to our own request
        } else if (side[nOpt] == No) {
            const bool bAccept = bAbout ? acceptUs(nOpt) : acceptHim(nOpt);
            if (bAccept)
                side[nOpt] = Yes;
            nAnswer = bAccept ? nYes : nNo;
        }
    } else {
        if (side[nOpt] == Yes)
            nAnswer = nNo;
        side[nOpt] = No;  // a refusal of our request needs no answer
    }
    if (nAnswer != 0)
        reply->append(char(kIac)).append(char(nAnswer)).append(char(nOpt));
}

void TelnetComPort::endSubneg(QList<Message>* messages)
{
    if (m_nSbOption == kOptComPort && !m_bSbOverflow && !m_sb.isEmpty())
        messages->append(Message { quint8(m_sb.at(0)), m_sb.mid(1) });
    m_sb.clear();
    m_bSbOverflow = false;
}

QByteArray TelnetComPort::feed(const QByteArray& in, QByteArray* reply, QList<Message>* messages)
{
    QByteArray data;
    data.reserve(in.size());
    for (const char c : in) {
        const quint8 b = quint8(c);
        switch (m_parse) {
        case Data:
            if (b == kIac)
                m_parse = Iac;
            else
                data.append(c);
            break;
        case Iac:
            if (b == kIac) {
                data.append(c);
                m_parse = Data;
            } else if (b >= kWill) {
                m_nVerb = b;
                m_parse = Verb;
            } else if (b == kSb) {
                m_parse = SbOption;
            } else {
                m_parse = Data;  // NOP, GA, AYT and the like carry nothing for us
            }
            break;
        case Verb:
            onVerb(m_nVerb, b, reply);
            m_parse = Data;
            break;
        case SbOption:
            m_nSbOption = b;
            m_sb.clear();
            m_bSbOverflow = false;
            m_parse = SbData;
            break;
        case SbData:
            if (b == kIac) {
                m_parse = SbIac;
            } else if (m_sb.size() < kMaxSubneg) {
                m_sb.append(c);
            } else {
                m_bSbOverflow = true;
            }
            break;
        case SbIac:
            if (b == kIac) {
                if (m_sb.size() < kMaxSubneg)
                    m_sb.append(c);
                else
                    m_bSbOverflow = true;
                m_parse = SbData;
            } else if (b == kSe) {
                endSubneg(messages);
                m_parse = Data;
            } else {
                // An unterminated subnegotiation: drop it and read the
                // command that interrupted it.
                m_sb.clear();
                m_bSbOverflow = false;
                m_parse = Iac;
                data.append(feed(QByteArray(1, c), reply, messages));
            }
            break;
        }
    }
    return data;
}
