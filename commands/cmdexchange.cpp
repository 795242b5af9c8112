#include "cmdexchange.h"

#include "dtuframe.h"
#include "valuecodec.h"

QByteArray buildRequestBody(const DtuCmd& cmd, int nParamType, const QStringList& values)
{
    if (cmd.m_param.isEmpty() || (nParamType != 0 && nParamType != 1))
        return {};
    const DtuCmdSection& section = nParamType == 0 ? cmd.query : cmd.setting;
    if (!section.isPresent())
        return {};

    QByteArray payload;
    for (const int nIndex : section.req) {
        if (nIndex < 0 || nIndex >= cmd.m_param.size())
            return {};
        payload.append(encodeValue(values.value(nIndex), cmd.m_param.at(nIndex)));
    }

    // The length field never claims more than an answer may hold, but the
    // whole payload travels.
    const int nLength = qMin(payload.size(), dtu::kMaxAnswerPayload);
    QByteArray body;
    body.reserve(payload.size() + 3);
    body.append(char(quint8(section.ctl2)));
    body.append(char(quint8(nLength)));
    body.append(char(quint8(nLength >> 8)));
    body.append(payload);
    return body;
}

QByteArray frameFromBody(const QByteArray& body)
{
    QByteArray frame;
    frame.reserve(body.size() + 8);
    frame.append(char(dtu::kHead));
    frame.append(char(dtu::kVersion));
    frame.append(4, '\0');
    frame.append(body);
    frame.append(char(frameChecksum(frame.constData(), frame.size())));
    frame.append(char(dtu::kTail));
    return frame;
}

DtuDecodedResponse decodeResponseFrame(const QMap<int, DtuResponseEntry>& responses,
                                       const QByteArray& frame)
{
    DtuDecodedResponse decoded;
    if (!isAcceptableResponse(frame))
        return decoded;
    const int nCtl = frameControl(frame);
    if (nCtl == dtu::kCtlPacket)
        return decoded;
    const auto it = responses.constFind(nCtl);
    if (it == responses.constEnd())
        return decoded;
    decoded.values = decodeResponseData(*it, frame.constData() + dtu::kPayloadOffset,
                                        framePayloadLength(frame));
    if (!decoded.values.isEmpty())
        decoded.page = it->page;
    return decoded;
}
