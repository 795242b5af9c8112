#include <QtTest>

#include "telnetcomport.h"

using Message = TelnetComPort::Message;
Q_DECLARE_METATYPE(QList<Message>)

namespace {

QByteArray hex(const char* str)
{
    return QByteArray::fromHex(str);
}

struct Fed
{
    QByteArray data;
    QByteArray reply;
    QList<Message> messages;
};

Fed feedInChunks(TelnetComPort codec, const QByteArray& in, int nChunk)
{
    Fed out;
    for (int nPos = 0; nPos < in.size(); nPos += nChunk)
        out.data += codec.feed(in.mid(nPos, nChunk), &out.reply, &out.messages);
    return out;
}

}  // namespace

class TestTelnetComPort : public QObject
{
    Q_OBJECT
private slots:
    void receivedStreamIsSplitIntoDataRepliesAndMessages_data();
    void receivedStreamIsSplitIntoDataRepliesAndMessages();
    void answersToOurRequestsAreNotAnsweredAgain_data();
    void answersToOurRequestsAreNotAnsweredAgain();
    void outgoingBytesAreEscaped_data();
    void outgoingBytesAreEscaped();
};

void TestTelnetComPort::receivedStreamIsSplitIntoDataRepliesAndMessages_data()
{
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QList<Message>>("messages");

    const QList<Message> none;
    QTest::newRow("plain data") << hex("00010d0a41") << hex("00010d0a41") << QByteArray() << none;
    QTest::newRow("doubled 0xFF is one data byte") << hex("41ffff42ffffffff") << hex("41ff42ffff")
                                                   << QByteArray() << none;
    QTest::newRow("NOP, GA and a stray SE carry nothing") << hex("41fff142fff9fff043") << hex("414243")
                                                          << QByteArray() << none;
    // ser2net's greeting: WILL SGA, DO SGA, WILL ECHO, DONT ECHO, DO BINARY, WILL BINARY, DO COM-PORT.
    QTest::newRow("server greeting") << hex("fffb03fffd03fffb01fffe01fffd00fffb00fffd2c") << QByteArray()
                                     << hex("fffd03fffb03fffe01fffb00fffd00fffb2c") << none;
    QTest::newRow("repeated request answered once") << hex("fffd2cfffd2c") << QByteArray() << hex("fffb2c")
                                                    << none;
    QTest::newRow("unknown options refused") << hex("fffd18fffb1f") << QByteArray() << hex("fffc18fffe1f")
                                             << none;
    QTest::newRow("switched off after on") << hex("fffb00fffc00fffc00") << QByteArray() << hex("fffd00fffe00")
                                           << none;
    QTest::newRow("baud answer") << hex("41fffa2c650001c200fff042") << hex("4142") << QByteArray()
                                 << QList<Message> { { 101, hex("0001c200") } };
    QTest::newRow("0xFF inside a value") << hex("fffa2c650000ffffffff0a") << QByteArray() << QByteArray()
                                         << QList<Message>();
    QTest::newRow("doubled 0xFF inside a value")
        << hex("fffa2c650000ffffffff00fff0") << QByteArray() << QByteArray()
        << QList<Message> { { 101, hex("0000ffff00") } };
    QTest::newRow("line and modem state") << hex("fffa2c6a60fff0fffa2c6bb0fff0") << QByteArray() << QByteArray()
                                          << QList<Message> { { 106, hex("60") }, { 107, hex("b0") } };
    QTest::newRow("other option's subnegotiation ignored") << hex("fffa1801fff041") << hex("41") << QByteArray()
                                                           << none;
    QTest::newRow("empty subnegotiation ignored") << hex("fffa2cfff041") << hex("41") << QByteArray() << none;
    QTest::newRow("interrupted subnegotiation dropped, command read")
        << hex("fffa2c6a01fffb0341") << hex("41") << hex("fffd03") << none;
    QTest::newRow("overlong subnegotiation skipped whole")
        << (hex("fffa2c6b") + QByteArray(TelnetComPort::kMaxSubneg, 'x') + hex("fff041"))
        << hex("41") << QByteArray() << none;
    QTest::newRow("longest subnegotiation kept")
        << (hex("fffa2c6b") + QByteArray(TelnetComPort::kMaxSubneg - 1, 'x') + hex("fff041")) << hex("41")
        << QByteArray() << QList<Message> { { 107, QByteArray(TelnetComPort::kMaxSubneg - 1, 'x') } };
}

void TestTelnetComPort::receivedStreamIsSplitIntoDataRepliesAndMessages()
{
    QFETCH(QByteArray, in);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, reply);
    QFETCH(QList<Message>, messages);

    // Whole, byte by byte, and in uneven pieces: reads may split anything.
    for (const int nChunk : { int(in.size()), 1, 2, 3, 5 }) {
        const Fed fed = feedInChunks(TelnetComPort(), in, qMax(1, nChunk));
        QCOMPARE(fed.data.toHex(), data.toHex());
        QCOMPARE(fed.reply.toHex(), reply.toHex());
        QCOMPARE(fed.messages.size(), messages.size());
        QVERIFY(fed.messages == messages);
    }
}

void TestTelnetComPort::answersToOurRequestsAreNotAnsweredAgain_data()
{
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("comPortActive");

    QTest::newRow("server agrees to all") << hex("fffd2cfffd00fffb00fffd03fffb03") << QByteArray() << true;
    QTest::newRow("server refuses com-port") << hex("fffe2c") << QByteArray() << false;
    QTest::newRow("server refuses, then asks") << hex("fffe2cfffd2c") << hex("fffb2c") << true;
    QTest::newRow("server agrees, then withdraws") << hex("fffd2cfffe2c") << hex("fffc2c") << false;
    QTest::newRow("server asks for echo meanwhile") << hex("fffb01fffd2c") << hex("fffe01") << true;
}

void TestTelnetComPort::answersToOurRequestsAreNotAnsweredAgain()
{
    QFETCH(QByteArray, in);
    QFETCH(QByteArray, reply);
    QFETCH(bool, comPortActive);

    TelnetComPort codec;
    QCOMPARE(codec.start().toHex(), hex("fffb2cfffb00fffd00fffb03fffd03").toHex());
    QVERIFY(!codec.comPortActive());
    Fed fed;
    fed.data = codec.feed(in, &fed.reply, &fed.messages);
    QVERIFY(fed.data.isEmpty());
    QCOMPARE(fed.reply.toHex(), reply.toHex());
    QCOMPARE(codec.comPortActive(), comPortActive);
}

void TestTelnetComPort::outgoingBytesAreEscaped_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("data without 0xFF") << TelnetComPort::escape(hex("00410d")) << hex("00410d");
    QTest::newRow("data with 0xFF") << TelnetComPort::escape(hex("ff00ffff")) << hex("ffff00ffffffff");
    QTest::newRow("baud 115200") << TelnetComPort::setBaudRate(115200) << hex("fffa2c010001c200fff0");
    QTest::newRow("baud with 0xFF byte") << TelnetComPort::setBaudRate(0xFF) << hex("fffa2c01000000fffffff0");
    QTest::newRow("data size 7") << TelnetComPort::setByte(TelnetComPort::SetDataSize, 7) << hex("fffa2c0207fff0");
    // Values as QSerialPort numbers them: parity 2 even, 3 odd; stop bits 3
    // one and a half; flow 1 hardware, 2 software.
    const auto settings = [](qint32 nBaud, qint32 nData, qint32 nParity, qint32 nStop, qint32 nFlow) {
        PortParam p;
        p.baudRate = nBaud;
        p.dataBits = nData;
        p.parity = nParity;
        p.stopBits = nStop;
        p.flowControl = nFlow;
        return TelnetComPort::settingsCommands(p);
    };
    QTest::newRow("settings 9600 8N1") << settings(9600, 8, 0, 1, 0)
                                       << hex("fffa2c0100002580fff0 fffa2c0208fff0 fffa2c0301fff0 fffa2c0401fff0"
                                              "fffa2c0501fff0");
    QTest::newRow("settings 115200 7E2 RTS/CTS") << settings(115200, 7, 2, 2, 1)
                                                 << hex("fffa2c010001c200fff0 fffa2c0207fff0 fffa2c0303fff0"
                                                        "fffa2c0402fff0 fffa2c0503fff0");
    QTest::newRow("settings 1200 5O1.5 XON/XOFF") << settings(1200, 5, 3, 3, 2)
                                                  << hex("fffa2c01000004b0fff0 fffa2c0205fff0 fffa2c0302fff0"
                                                         "fffa2c0403fff0 fffa2c0502fff0");
    QTest::newRow("settings mark, space") << (settings(300, 8, 5, 1, 0).mid(17, 7) + settings(300, 8, 4, 1, 0).mid(17, 7))
                                          << hex("fffa2c0304fff0 fffa2c0305fff0");
    QTest::newRow("DTR on, RTS off") << TelnetComPort::modemLineCommands(true, false, 0)
                                     << hex("fffa2c0508fff0 fffa2c050cfff0");
    QTest::newRow("DTR off, RTS on") << TelnetComPort::modemLineCommands(false, true, 2)
                                     << hex("fffa2c0509fff0 fffa2c050bfff0");
    QTest::newRow("RTS left to hardware flow control") << TelnetComPort::modemLineCommands(true, false, 1)
                                                       << hex("fffa2c0508fff0");
}

void TestTelnetComPort::outgoingBytesAreEscaped()
{
    QFETCH(QByteArray, wire);
    QFETCH(QByteArray, expected);
    QCOMPARE(wire.toHex(), expected.toHex());
}

QTEST_GUILESS_MAIN(TestTelnetComPort)
#include "tst_telnetcomport.moc"
