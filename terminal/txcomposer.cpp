#include "txcomposer.h"

#include "dtuframe.h"
#include "hexcodec.h"

#include <QtEndian>

namespace {

void appendLe32(QByteArray& out, quint32 nValue)
{
    char buf[4];
    qToLittleEndian<quint32>(nValue, buf);
    out.append(buf, 4);
}

TxResult framed(quint32 nAddr, quint8 nCtl, const QByteArray& payload)
{
    TxResult result;
    result.bytes = encodeFrame(nAddr, nCtl, payload);
    if (result.bytes.isEmpty())
        result.error = TxError::PayloadTooLong;
    return result;
}

}  // namespace

TxResult composeTx(const TxOptions& opt)
{
    if (!opt.bCustomCtl && opt.strText.isEmpty())
        return {TxError::Nothing, {}};

    const bool bUserData = opt.bTxOptShown && opt.bDstUsrId && !opt.bCustomCtl;
    QByteArray payload;
    if (bUserData) {
        appendLe32(payload, opt.strDstUsrId.toUInt());  // 0 when it does not parse
        if (opt.bInterval)
            appendLe32(payload, quint32(opt.strInterval.toInt()));
    }
    appendTxData(payload, opt.strText, opt.nTxMode, opt.bReturn);

    if (opt.bCustomCtl) {
        if (opt.strCustomCtl.isEmpty())
            return {TxError::EmptyCustomCtl, {}};
        return framed(0, quint8(opt.strCustomCtl.toUInt(nullptr, 16)), payload);
    }
    if (bUserData && opt.bInterval) {
        if (opt.strDstAddr.isEmpty())
            return {TxError::EmptyDstAddr, {}};
        return framed(opt.strDstAddr.toUInt(nullptr, 16), dtu::kCtlUserData, payload);
    }
    if (opt.bTerminalIdShown && opt.bTerminalId) {
        QByteArray withId;
        withId.reserve(payload.size() + 4);
        appendLe32(withId, opt.strTerminalId.toUInt());
        withId.append(payload);
        return framed(0, dtu::kCtlTerminalId, withId);
    }
    if (payload.isEmpty())
        return {TxError::Nothing, {}};
    return {TxError::None, payload};
}
