#include "cmdfile.h"
#include "ctlrun.h"
#include "displaypayload.h"
#include "dtuframe.h"
#include "dtusimulator.h"
#include "payload.h"
#include "programrig.h"
#include "ptypair.h"
#include "sourceimage.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// telvanectl end to end: the real program in a child process, against the
// simulated DTU (in this process) or a pseudo-terminal played by the test.
class TstTelvanectl : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void commandsWorkAgainstTheDevice_data();
    void commandsWorkAgainstTheDevice();
    void everyParameterOfTheShippedFileIsWrittenAndReadBack();
    void jsonStreamEndsWithTheResult_data();
    void jsonStreamEndsWithTheResult();
    void sendWritesWhatTheTerminalPageWrites_data();
    void sendWritesWhatTheTerminalPageWrites();
    void listenPrintsChunksOrFrames_data();
    void listenPrintsChunksOrFrames();
    void deviceFailuresGiveTheirStatus_data();
    void deviceFailuresGiveTheirStatus();
    void lostPortEndsWithStatus3();
    void windowSettingsGiveTheDefaults();
    void portsShowTheWindowsFriendlyNames();
    void pushSendsWhatTheImagePageSends_data();
    void pushSendsWhatTheImagePageSends();
    void pushFailuresGiveTheirStatus_data();
    void pushFailuresGiveTheirStatus();
    void enduranceReportsEveryTask_data();
    void enduranceReportsEveryTask();

private:
    bool startSimulator(SimConfig config = {});
    QStringList viaSim(const QStringList& args) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DtuSimulator> m_sim;
};

namespace {

QStringList split(const QString& line)
{
    return line.split(QLatin1Char('|'));
}

// A value of the parameter's kind that differs from the simulator's initial
// one, as typed and as the device then reports it.
QPair<QString, QString> sampleValue(const DtuParam& p)
{
    if (p.inputKind == kKindString)
        return { QStringLiteral("ab c"), QStringLiteral("ab c") };
    QString typed, shown;
    switch (p.inputKind) {
    case kKindBool: typed = "0"; shown = "0"; break;
    case kKindUnsigned: typed = "2"; shown = "2"; break;
    case kKindSigned: typed = "-2"; shown = "-2"; break;
    case kKindHex: typed = "2B"; shown = "0x2b"; break;
    default: typed = "2.25"; shown = "2.250000"; break;
    }
    QStringList t, s;
    for (int i = 0; i < p.num; ++i) {
        t << typed;
        s << shown;
    }
    return { t.join(' '), s.join(' ') };
}

// Test pictures: a grey ramp with a disc (PNG, the container's usual
// source), the same in colour as BMP and JPEG, and a BMP so large that its
// raw payload needs more packets than one byte can number.
QString writeImage(const QDir& dir, const QString& name)
{
    const bool bHuge = name.startsWith(QLatin1String("huge"));
    QImage img(bHuge ? QSize(400, 300) : QSize(300, 200), QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient ramp(0, 0, img.width(), 0);
    ramp.setColorAt(0, Qt::black);
    ramp.setColorAt(1, name.endsWith(QLatin1String("png")) ? Qt::white : QColor(255, 200, 40));
    p.fillRect(img.rect(), ramp);
    p.setBrush(Qt::white);
    p.drawEllipse(QPoint(img.width() / 3, img.height() / 2), 50, 50);
    p.end();
    const QString path = dir.filePath(name);
    const QImage out = name.endsWith(QLatin1String("png")) ? img.convertToFormat(QImage::Format_Grayscale8) : img;
    return out.save(path) ? path : QString();
}

}  // namespace

void TstTelvanectl::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // As the window finds it: cmds.json in the working directory.
    QVERIFY(QFile::copy(QStringLiteral(TELVANE_SHIPPED_CMDS), m_dir->filePath("cmds.json")));
}

void TstTelvanectl::cleanup()
{
    m_sim.reset();
    m_dir.reset();
}

bool TstTelvanectl::startSimulator(SimConfig config)
{
    config.cmdFile = QStringLiteral(TELVANE_SHIPPED_CMDS);
    config.link = m_dir->filePath("dtu");
    // A quick device, unless the test asks for a slow one.
    const SimConfig defaults;
    if (config.wakeDelayMs == defaults.wakeDelayMs)
        config.wakeDelayMs = 20;
    if (config.drawDelayMs == defaults.drawDelayMs)
        config.drawDelayMs = 20;
    m_sim = std::make_unique<DtuSimulator>(config);
    QString error;
    if (!m_sim->start(error))
        qWarning("%s", qPrintable(error));
    return m_sim->portPath().size() > 0 && error.isEmpty();
}

QStringList TstTelvanectl::viaSim(const QStringList& args) const
{
    return QStringList { "--port", m_dir->filePath("dtu") } + args;
}

void TstTelvanectl::commandsWorkAgainstTheDevice_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");     // lines stdout must hold, "\n"-separated
    QTest::addColumn<QString>("stored");  // "command/parameter=value" the device must hold afterwards
    QTest::addColumn<QString>("err");     // what stderr must contain

    QTest::newRow("query two by name") << "query|发射功率|无线信道" << 0
                                       << "发射功率.功率档位 = 1\n无线信道.中心频率(MHz) = 0.500000" << "" << "";
    QTest::newRow("query by position") << "query|5" << 0 << "固件版本.版本号 = SIM-版本号" << "" << "";
    QTest::newRow("query with request field") << "query|调试寄存器|寄存器地址=10" << 0
                                              << "调试寄存器.寄存器地址 = 0x10" << "" << "";
    QTest::newRow("set prints the answer") << "set|发射功率|功率档位=5|输出功率(dBm)=-9" << 0
                                           << "发射功率.功率档位 = 5\n发射功率.输出功率(dBm) = -9"
                                           << "发射功率/输出功率(dBm)=-9" << "";
    QTest::newRow("set keeps the fields not given") << "set|发射功率|1=-9" << 0
                                                    << "发射功率.功率档位 = 1\n发射功率.输出功率(dBm) = -9"
                                                    << "发射功率/功率档位=1" << "kept 功率档位";
    QTest::newRow("set utf-8 text") << "set|设备名称|名称=测试一号" << 0 << "设备名称.名称 = 测试一号"
                                    << "设备名称/名称=测试一号" << "";
    QTest::newRow("set acknowledged without values") << "set|恢复出厂设置|确认码=A55A" << 0 << ""
                                                     << "恢复出厂设置/确认码=0xa55a" << "";
    QTest::newRow("code needs no port") << "code|query|无线信道" << 0 << "AA0100000000210000CCEE" << "" << "";
    QTest::newRow("value out of range") << "set|发射功率|功率档位=256" << 2 << "" << "发射功率/功率档位=1"
                                        << "发射功率.功率档位: \"256\" refused; it accepts one whole number from 0 to 255";
    QTest::newRow("unknown command") << "query|无此命令" << 2 << "" << "" << "no command 无此命令";
    QTest::newRow("unknown field") << "set|发射功率|功率=1" << 2 << "" << "" << "发射功率 has no field 功率";
    QTest::newRow("read-only command") << "set|固件版本|版本号=x" << 2 << "" << "" << "固件版本 cannot be set";
    QTest::newRow("query lacking its request field") << "query|调试寄存器" << 2 << "" << ""
                                                     << "调试寄存器: give 寄存器地址 too";
    QTest::newRow("set lacking a field it cannot read") << "set|加密密钥|启用加密=1" << 2 << "" << ""
                                                        << "加密密钥: give 密钥 too";
    QTest::newRow("missing command file") << "--cmds|nope.json|query|0" << 2 << "" << ""
                                          << "command file nope.json not found";
}

void TstTelvanectl::commandsWorkAgainstTheDevice()
{
    QFETCH(QString, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, stored);
    QFETCH(QString, err);
    QVERIFY(startSimulator());

    const CtlResult r = runCtl(m_dir->path(), viaSim(split(args)));
    QVERIFY2(r.nExit == status, r.err.constData());
    const QString strOut = QString::fromUtf8(r.out);
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
        QVERIFY2(strOut.contains(line + '\n'), qPrintable(strOut));
    if (out.isEmpty())
        QCOMPARE(strOut, QString());
    QVERIFY2(QString::fromUtf8(r.err).contains(err), r.err.constData());
    if (!stored.isEmpty()) {
        const QStringList where = stored.section('=', 0, 0).split('/');
        QCOMPARE(m_sim->params().value(where.at(0), where.at(1)), stored.section('=', 1));
    }
}

void TstTelvanectl::everyParameterOfTheShippedFileIsWrittenAndReadBack()
{
    QVERIFY(startSimulator());
    QFile file(QStringLiteral(TELVANE_SHIPPED_CMDS));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const CmdFileDef def = parseCmdDefinitions(file.readAll());
    QCOMPARE(def.nResult, 0);

    QStringList expected;  // every line query --all must print afterwards
    for (const CmdPageDef& page : def.pages) {
        const DtuCmd& cmd = page.cmd;
        QStringList args { "set", cmd.name };
        for (const int i : cmd.setting.req)
            args << cmd.m_param.at(i).name + '=' + sampleValue(cmd.m_param.at(i)).first;
        if (cmd.setting.isPresent()) {
            const CtlResult r = runCtl(m_dir->path(), viaSim(args));
            QVERIFY2(r.nExit == 0, qPrintable(cmd.name + ": " + r.err));
            for (const int i : cmd.setting.req)
                QCOMPARE(m_sim->params().value(cmd.name, cmd.m_param.at(i).name),
                         sampleValue(cmd.m_param.at(i)).second);
        }
        if (!cmd.query.isPresent() || !cmd.query.req.isEmpty())
            continue;
        for (const int i : cmd.query.res) {
            const DtuParam& p = cmd.m_param.at(i);
            const QString value = cmd.setting.req.contains(i) ? sampleValue(p).second : QString();
            expected << QStringLiteral("%1.%2 = %3").arg(cmd.name, p.name, value);
        }
    }

    const CtlResult r = runCtl(m_dir->path(), viaSim({ "query", "--all" }));
    QVERIFY2(r.nExit == 0, r.err.constData());
    const QStringList lines = QString::fromUtf8(r.out).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), expected.size());
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(lines.at(i).startsWith(expected.at(i)), qPrintable(lines.at(i) + " / " + expected.at(i)));
}

void TstTelvanectl::jsonStreamEndsWithTheResult_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("event");  // the event every line before the result carries
    QTest::addColumn<int>("events");

    QTest::newRow("query values") << "query|0|1" << 0 << "value" << 4;
    QTest::newRow("sent bytes") << "send|--text|hi" << 0 << "sent" << 1;
    QTest::newRow("usage error") << "query|0|x=1" << 2 << "" << 0;
}

void TstTelvanectl::jsonStreamEndsWithTheResult()
{
    QFETCH(QString, args);
    QFETCH(int, status);
    QFETCH(QString, event);
    QFETCH(int, events);
    QVERIFY(startSimulator());

    const CtlResult r = runCtl(m_dir->path(), viaSim(split(args) << "--json"));
    QCOMPARE(r.nExit, status);
    const QList<QJsonObject> objects = jsonLines(r.out);
    QCOMPARE(objects.size(), events + 1);
    for (int i = 0; i < events; ++i)
        QCOMPARE(objects.at(i).value("event").toString(), event);
    const QJsonObject result = objects.last();
    QCOMPARE(result.value("event").toString(), QStringLiteral("result"));
    QCOMPARE(result.value("ok").toBool(), status == 0);
    QCOMPARE(result.value("status").toInt(), status);
    QCOMPARE(result.contains("error"), status != 0);
}

void TstTelvanectl::sendWritesWhatTheTerminalPageWrites_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<QByteArray>("wire");  // hex; empty: refused with status 2

    QTest::newRow("raw hex, single digits padded") << "AA 1 02" << QByteArray("aa0102");
    QTest::newRow("odd hex gets a leading zero") << "123" << QByteArray("0123");
    QTest::newRow("text with CR LF") << "--text|--crlf|abc" << QByteArray("6162630d0a");
    QTest::newRow("custom control, no data") << "--ctl|5" << QByteArray("aa0100000000050000b0ee");
    QTest::newRow("terminal id frame") << "--terminal-id|1|AA" << QByteArray("aa010000000064050001000000aabfee");
    QTest::newRow("text in hex mode") << "AG" << QByteArray();
}

void TstTelvanectl::sendWritesWhatTheTerminalPageWrites()
{
    QFETCH(QString, args);
    QFETCH(QByteArray, wire);
    PtyPair pty;
    QVERIFY(pty.isValid());

    const CtlResult r = runCtl(m_dir->path(), QStringList { "--port", pty.portPath(), "send" } + split(args));
    if (wire.isEmpty()) {
        QCOMPARE(r.nExit, 2);
        QCOMPARE(pty.drain(100), QByteArray());
        return;
    }
    QVERIFY2(r.nExit == 0, r.err.constData());
    const QByteArray bytes = QByteArray::fromHex(wire);
    QCOMPARE(pty.read(bytes.size()).toHex(), wire);
    // stdout shows the bytes as the receive view does.
    QStringList pairs;
    for (const char c : bytes)
        pairs << QString::asprintf("%02X", quint8(c));
    QCOMPARE(QString::fromUtf8(r.out), pairs.join(' ') + '\n');
}

void TstTelvanectl::listenPrintsChunksOrFrames_data()
{
    QTest::addColumn<bool>("frames");
    QTest::newRow("chunks") << false;
    QTest::newRow("frames") << true;
}

void TstTelvanectl::listenPrintsChunksOrFrames()
{
    QFETCH(bool, frames);
    PtyPair pty;
    QVERIFY(pty.isValid());
    QStringList args { "--port", pty.portPath(), "--json", "listen", "--duration", "1.5" };
    if (frames)
        args << "--frames";
    CtlProcess ctl(m_dir->path());
    ctl.start(args);
    QVERIFY(ctl.waitForOutput("\"open\""));

    const QByteArray frame = encodeFrame(7, dtu::kCtlAwaken, QByteArray::fromHex("0700000000"));
    const QByteArray wire = QByteArray::fromHex("0102") + frame + QByteArray::fromHex("03");
    QVERIFY(pty.write(wire));
    const CtlResult r = ctl.finish();
    QCOMPARE(r.nExit, 0);

    const QList<QJsonObject> objects = jsonLines(r.out);
    QVERIFY(objects.size() >= 2);
    QByteArray seen;
    for (const QJsonObject& o : objects.mid(1, objects.size() - 2)) {
        QCOMPARE(o.value("event").toString(), frames ? QStringLiteral("frame") : QStringLiteral("rx"));
        seen += QByteArray::fromHex(o.value("hex").toString().toLatin1());
    }
    QCOMPARE(seen.toHex(), (frames ? frame : wire).toHex());
    QCOMPARE(objects.last().value("bytes").toInt(), wire.size());
}

void TstTelvanectl::deviceFailuresGiveTheirStatus_data()
{
    QTest::addColumn<QByteArray>("answer");  // hex of what the device answers; empty: silence
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");

    // 发射功率 answers with u8 + u16; five payload bytes fit no field list.
    QTest::newRow("answer that does not decode")
        << encodeFrame(0, 35, QByteArray::fromHex("0102030405")).toHex() << 1 << "not acceptable";
    QTest::newRow("answer with length 0") << encodeFrame(0, 35, {}).toHex() << 1 << "not acceptable";
    QTest::newRow("other frames only") << encodeFrame(0, 36, QByteArray::fromHex("010200")).toHex() << 4
                                       << "no answer to 发射功率 within 400 ms";
    QTest::newRow("silence") << QByteArray() << 4 << "no answer";
}

void TstTelvanectl::deviceFailuresGiveTheirStatus()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, status);
    QFETCH(QString, err);
    PtyPair pty;
    QVERIFY(pty.isValid());

    CtlProcess ctl(m_dir->path());
    ctl.start({ "--port", pty.portPath(), "--timeout", "400", "query", "发射功率" });
    const QByteArray request = pty.read(11, 10000);
    QCOMPARE(request.toHex(), encodeFrame(0, 35, {}).toHex());
    QVERIFY(pty.write(QByteArray::fromHex(answer)));
    const CtlResult r = ctl.finish();
    QCOMPARE(r.nExit, status);
    QVERIFY2(QString::fromUtf8(r.err).contains(err), r.err.constData());
    QCOMPARE(r.out, QByteArray());
}

void TstTelvanectl::lostPortEndsWithStatus3()
{
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        CtlProcess ctl(m_dir->path());
        ctl.start({ "--port", pty.portPath(), "--json", "listen" });
        QVERIFY(ctl.waitForOutput("\"open\""));
        pty.closeController();
        const CtlResult r = ctl.finish();
        QCOMPARE(r.nExit, 3);
        QVERIFY2(r.err.contains("lost"), r.err.constData());
        QCOMPARE(jsonLines(r.out).last().value("status").toInt(), 3);
    }
    const CtlResult r = runCtl(m_dir->path(), { "--port", m_dir->filePath("no-such-tty"), "query", "0" });
    QCOMPARE(r.nExit, 3);
    QVERIFY2(r.err.contains("cannot open") && r.err.contains("No such file"), r.err.constData());
}

void TstTelvanectl::windowSettingsGiveTheDefaults()
{
    QVERIFY(startSimulator());
    // The window's port and command file, the latter under another name
    // while the working directory's cmds.json is no command file at all.
    QVERIFY(QFile::copy(QStringLiteral(TELVANE_SHIPPED_CMDS), m_dir->filePath("other.json")));
    QFile broken(m_dir->filePath("cmds.json"));
    QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("{");
    broken.close();
    {
        QSettings ini(m_dir->filePath("Telvane.ini"), QSettings::IniFormat);
        ini.setValue("port", m_dir->filePath("dtu"));
        ini.setValue("baud", "9600");
        ini.setValue("json", m_dir->filePath("other.json"));
    }
    CtlResult r = runCtl(m_dir->path(), { "query", "0" });
    QVERIFY2(r.nExit == 0, r.err.constData());
    QVERIFY(r.out.startsWith("无线信道.信道号 = 1\n"));

    // The command line wins; a bare name that only the working directory
    // holds is that file.
    r = runCtl(m_dir->path(), { "--port", "dtu", "query", "0" });
    QVERIFY2(r.nExit == 0, r.err.constData());
    r = runCtl(m_dir->path(), { "--cmds", "cmds.json", "query", "0" });
    QCOMPARE(r.nExit, 2);
    QVERIFY2(r.err.contains("not valid JSON"), r.err.constData());
}

void TstTelvanectl::portsShowTheWindowsFriendlyNames()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    {
        QSettings ini(m_dir->filePath("Telvane.ini"), QSettings::IniFormat);
        ini.setIniCodec("UTF-8");
        ini.setValue("port_count", 1);
        ini.setValue("port_0", pty.portPath());
        ini.setValue("port_rename_0", QStringLiteral("DTU(一)"));
    }
    const CtlResult r = runCtl(m_dir->path(), { "--port", pty.portPath(), "--json", "ports" });
    QVERIFY2(r.nExit == 0, r.err.constData());
    const QList<QJsonObject> objects = jsonLines(r.out);
    QVERIFY(!objects.isEmpty());
    int nFound = 0;
    for (const QJsonObject& o : objects) {
        if (o.value("event").toString() != QLatin1String("port") || o.value("name").toString() != pty.portPath())
            continue;
        ++nFound;
        QCOMPARE(o.value("friendly").toString(), QStringLiteral("DTU(一)"));
    }
    QCOMPARE(nFound, 1);
    QCOMPARE(objects.last().value("count").toInt(), objects.size() - 1);
}

void TstTelvanectl::pushSendsWhatTheImagePageSends_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("container");
    QTest::addColumn<int>("compress");
    QTest::addColumn<quint32>("addr");

    QTest::newRow("container, 7z, woken display") << "grey.png" << true << 1 << ProgramRig::kDisplay;
    QTest::newRow("container, plain, broadcast") << "grey.png" << true << 0 << 0u;
    QTest::newRow("raw bmp, plain") << "colour.bmp" << false << 0 << ProgramRig::kDisplay;
    QTest::newRow("raw jpg, 7z, broadcast") << "colour.jpg" << false << 1 << 0u;
}

void TstTelvanectl::pushSendsWhatTheImagePageSends()
{
    QFETCH(QString, file);
    QFETCH(bool, container);
    QFETCH(int, compress);
    QFETCH(quint32, addr);
    QVERIFY(startSimulator());
    const QString path = writeImage(QDir(m_dir->path()), file);
    QVERIFY(!path.isEmpty());
    QSignalSpy images(m_sim.get(), &DtuSimulator::imageReceived);

    QStringList args { "--json", "push", file, "--addr", QString::number(addr), "--keep", "500", "--compress",
                       compress ? "7z" : "none" };
    if (container)
        args << "--container";
    const CtlResult r = runCtl(m_dir->path(), viaSim(args));
    QVERIFY2(r.nExit == 0, r.err.constData());

    // The image page's payload for this file and these options.
    SourceImage source;
    QCOMPARE(loadSourceImage(path, source), ImageLoadResult::Loaded);
    PayloadOptions opt;
    opt.bRle = container;
    opt.nCompress = compress;
    opt.nImgType = source.nImgType;
    opt.strFilePath = source.strFilePath;
    opt.nFileSize = source.nFileSize;
    opt.strSavePath.clear();
    QByteArray expected;
    QCOMPARE(buildSendablePayload(expected, source.image, opt), QString());

    QCOMPARE(images.size(), 1);
    const QByteArray payload = images.at(0).at(2).toByteArray();
    QCOMPARE(payload, expected);
    const QImage shown = images.at(0).at(1).value<QImage>();
    QVERIFY2(images.at(0).at(3).toString().isEmpty(), qPrintable(images.at(0).at(3).toString()));
    if (container) {
        const QString diff = firstPixelDifference(shown.convertToFormat(QImage::Format_Grayscale8),
                                                  bayerDithered(source.image.convertToFormat(QImage::Format_Grayscale8)));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(decodeDisplayPayload(payload).data, f.readAll());
    }
    QVERIFY(!QFile::exists(m_dir->filePath("data.bin")));

    // The outcome on stdout: wake-up (unless broadcast), packets, the report.
    const QList<QJsonObject> objects = jsonLines(r.out);
    QStringList events;
    for (const QJsonObject& o : objects)
        if (o.value("event").toString() != QLatin1String("packet"))
            events << o.value("event").toString();
    QCOMPARE(events, (addr ? QStringList { "wakeup", "sent", "display", "result" }
                           : QStringList { "sent", "display", "result" }));
    const int nPackets = (expected.size() + 1023) / 1024;
    QCOMPARE(objects.size() - events.size(), nPackets);
    QCOMPARE(objects.last().value("packets").toInt(), nPackets);
    QCOMPARE(objects.at(objects.size() - 2).value("text").toString(), QStringLiteral("刷屏成功"));
}

void TstTelvanectl::pushFailuresGiveTheirStatus_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");

    QTest::newRow("display sleeps") << "grey.png" << "no-wake" << 4 << "no wake-up answer from 1674097996";
    QTest::newRow("wake-up fails") << "grey.png" << "wake-result" << 1 << "the wake-up failed (result 1)";
    QTest::newRow("bad checksum at packet 1") << "colour.bmp" << "status" << 1 << "packet 2 of";
    QTest::newRow("display cannot draw") << "grey.png" << "display-state" << 1
                                         << "the display reports 解码失败 (state 1)";
    QTest::newRow("display never reports") << "grey.png" << "slow-draw" << 4
                                           << "the display did not report its state";
    QTest::newRow("no such image") << "none.png" << "" << 2 << "image none.png not found";
    QTest::newRow("not an image") << "cmds.json" << "" << 2 << "cmds.json is not an image";
    QTest::newRow("more than 255 packets") << "huge.bmp" << "" << 2 << "";
}

void TstTelvanectl::pushFailuresGiveTheirStatus()
{
    QFETCH(QString, file);
    QFETCH(QString, fault);
    QFETCH(int, status);
    QFETCH(QString, err);
    SimConfig config;
    config.displays = { ProgramRig::kDisplay };
    config.displayFaults.noWakeAnswer = fault == "no-wake";
    config.displayFaults.wakeResult = fault == "wake-result" ? 1 : 0;
    if (fault == "status")
        config.displayFaults.statusAt.insert(1, 2);
    config.displayFaults.displayState = fault == "display-state" ? 1 : -1;
    if (fault == "slow-draw")
        config.drawDelayMs = 600000;
    QVERIFY(startSimulator(config));
    if (file != "none.png" && file != "cmds.json")
        QVERIFY(!writeImage(QDir(m_dir->path()), file).isEmpty());
    QSignalSpy frames(m_sim.get(), &DtuSimulator::frameReceived);

    const CtlResult r = runCtl(m_dir->path(), viaSim({ "--json", "--timeout", "500", "push", file, "--addr",
                                                       "1674097996", "--keep", "100", "--compress", "none" }));
    QCOMPARE(r.nExit, status);
    QVERIFY2(QString::fromUtf8(r.err).contains(err), r.err.constData());
    const QJsonObject result = jsonLines(r.out).last();
    QCOMPARE(result.value("status").toInt(), status);
    QVERIFY(result.contains("error"));
    // Input errors are found before anything goes on the line.
    if (status == 2)
        QCOMPARE(frames.size(), 0);
}

void TstTelvanectl::enduranceReportsEveryTask_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<quint32>("addr");
    QTest::addColumn<bool>("refuseWakeUp");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("tasks");
    QTest::addColumn<QString>("row");  // wake-up, send and packets of every CSV row

    QTest::newRow("wake-up then send") << "wake-send" << ProgramRig::kDisplay << false << 0 << 2 << "ok,ok,1";
    QTest::newRow("send only, to every display") << "send" << 0u << false << 0 << 2 << "-,ok,1";
    // Like the test page, a run whose first wake-up is refused stands still.
    QTest::newRow("refused first wake-up") << "wake" << ProgramRig::kDisplay << true << 1 << 1 << "refused,-,0";
}

void TstTelvanectl::enduranceReportsEveryTask()
{
    QFETCH(QString, mode);
    QFETCH(quint32, addr);
    QFETCH(bool, refuseWakeUp);
    QFETCH(int, status);
    QFETCH(int, tasks);
    QFETCH(QString, row);
    SimConfig config;
    config.displayFaults.wakeResult = refuseWakeUp ? 1 : 0;
    QVERIFY(startSimulator(config));
    QVERIFY(!writeImage(QDir(m_dir->path()), "grey.png").isEmpty());

    const CtlResult r = runCtl(m_dir->path(),
                               viaSim({ "--json", "endurance", "grey.png", "--addr", QString::number(addr), "--mode",
                                        mode, "--interval", "1", "--count", "2", "--container", "--keep", "200",
                                        "--csv", "runs.csv" }));
    QVERIFY2(r.nExit == status, r.err.constData());
    const QList<QJsonObject> objects = jsonLines(r.out);
    QCOMPARE(objects.size(), tasks + 1);
    for (int i = 0; i < tasks; ++i) {
        QCOMPARE(objects.at(i).value("event").toString(), QStringLiteral("task"));
        QCOMPARE(objects.at(i).value("task").toInt(), i + 1);
    }
    const QJsonObject result = objects.last();
    QCOMPARE(result.value("tasks").toInt(), tasks);
    const bool bWakes = mode != "send";
    QCOMPARE(result.value("wakeupOk").toInt(), bWakes && !refuseWakeUp ? tasks : 0);
    QCOMPARE(result.value("wakeupFailed").toInt(), refuseWakeUp ? tasks : 0);
    QCOMPARE(result.value("sendOk").toInt(), mode == "wake" ? 0 : tasks);

    QFile csv(m_dir->filePath("runs.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), tasks + 1);
    QCOMPARE(lines.at(0), QStringLiteral("time,task,wakeup,send,packets,duration_ms"));
    for (int i = 1; i <= tasks; ++i) {
        const QStringList cells = lines.at(i).split(',');
        QCOMPARE(cells.size(), 6);
        QVERIFY2(QDateTime::fromString(cells.at(0), "yyyy-MM-dd hh:mm:ss.zzz").isValid(), qPrintable(cells.at(0)));
        QCOMPARE(cells.at(1).toInt(), i);
        QCOMPARE(cells.mid(2, 3).join(','), row);
        bool ok = false;
        QVERIFY(cells.at(5).toInt(&ok) >= 0 && ok);
    }
}

QTEST_MAIN(TstTelvanectl)
#include "tst_telvanectl.moc"
