// Input: one byte choosing the chunk size, then a stream as a server might
// send it. Fed in chunks it must decode exactly as fed whole; answers are
// whole three-byte negotiations; messages stay bounded; and any data,
// escaped, reads back unchanged.
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

#include "telnetcomport.h"

namespace {

void check(bool bOk)
{
    if (!bOk)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int nChunk = 1 + data[0] % 16;
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), int(size - 1));

    TelnetComPort whole;
    QByteArray wholeReply;
    QList<TelnetComPort::Message> wholeMessages;
    const QByteArray wholeData = whole.feed(stream, &wholeReply, &wholeMessages);

    TelnetComPort chunked;
    QByteArray reply, out;
    QList<TelnetComPort::Message> messages;
    for (int nPos = 0; nPos < stream.size(); nPos += nChunk)
        out += chunked.feed(stream.mid(nPos, nChunk), &reply, &messages);

    check(out == wholeData && reply == wholeReply && messages == wholeMessages);
    check(out.size() <= stream.size());
    check(reply.size() % 3 == 0);
    for (int i = 0; i < reply.size(); i += 3)
        check(quint8(reply.at(i)) == TelnetComPort::kIac && quint8(reply.at(i + 1)) >= TelnetComPort::kWill);
    for (const TelnetComPort::Message& m : messages)
        check(m.value.size() < TelnetComPort::kMaxSubneg);

    TelnetComPort back;
    QByteArray backReply;
    QList<TelnetComPort::Message> backMessages;
    check(back.feed(TelnetComPort::escape(stream), &backReply, &backMessages) == stream);
    check(backReply.isEmpty() && backMessages.isEmpty());
    return 0;
}
