// The input is tried as a command definition file; every response it
// registers then decodes the same bytes as a payload and as a frame. The
// input also drives a fixed set of parameters of every type and input kind:
// its first bytes pick the response indices, the rest is the payload.

#include "cmdexchange.h"
#include "cmdfile.h"
#include "valuecodec.h"


#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/lsan_interface.h>
#define TELVANE_LSAN 1
#endif
#endif

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

QList<DtuParam> everyTypeAndKind()
{
    QList<DtuParam> params;
    const int widths[] = {1, 2, 4, 8, 3};  // 3: a type the tables do not know
    for (int nWidth : widths) {
        for (int nKind = -1; nKind <= kKindString; ++nKind) {
            for (int nNum : {1, 3, 0}) {
                DtuParam p;
                p.byteSize = nWidth == 3 ? -1 : nWidth;
                p.typeCode = nWidth == 1 ? 0 : nWidth == 2 ? 1 : nWidth == 4 ? 2 : nWidth == 8 ? 3 : -1;
                p.inputKind = nKind;
                p.num = nNum;
                params.append(p);
            }
        }
    }
    return params;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize > 1 << 20)
        return 0;
    const char* pBytes = reinterpret_cast<const char*>(pData);
    const int nLen = int(nSize);
    const QByteArray bytes = QByteArray::fromRawData(pBytes, nLen);

#ifdef TELVANE_LSAN
    // Qt 5.15's JSON parser leaks its partial tree on some malformed
    // documents; that is not this loader's leak.
    __lsan_disable();
#endif
    const CmdFileDef def = parseCmdDefinitions(bytes);
#ifdef TELVANE_LSAN
    __lsan_enable();
#endif
    for (const DtuResponseEntry& entry : def.responses)
        decodeResponseData(entry, pBytes, nLen);
    decodeResponseFrame(def.responses, bytes);
    for (const CmdPageDef& page : def.pages) {
        QStringList values;
        for (int i = 0; i < page.cmd.m_param.size(); ++i)
            values.append(QString::fromUtf8(bytes.mid(i, 64)));
        buildRequestBody(page.cmd, 0, values);
        buildRequestBody(page.cmd, 1, values);
    }

    static const QList<DtuParam> params = everyTypeAndKind();
    if (nLen < 1)
        return 0;
    DtuResponseEntry entry;
    entry.m_param = params;
    const int nIndices = qMin(nLen - 1, 1 + quint8(pData[0]) % 8);
    for (int i = 0; i < nIndices; ++i)
        entry.res.append(int(quint8(pData[1 + i])) - 8);  // some negative, some too large
    // An exactly sized copy, so a read past the payload is a heap overflow.
    const int nPayload = nLen - 1 - nIndices;
    std::vector<char> payload(pBytes + 1 + nIndices, pBytes + nLen);
    decodeResponseData(entry, payload.empty() ? nullptr : payload.data(), nPayload);
    for (const DtuParam& p : params) {
        int nUsed = 0;
        bin2string(payload.data(), nPayload, p, nUsed);
        encodeValue(QString::fromUtf8(payload.data(), qMin(nPayload, 64)), p);
    }
    return 0;
}
