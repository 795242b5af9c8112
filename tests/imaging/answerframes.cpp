#include "answerframes.h"

#include "dtuframe.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QtEndian>

QByteArray u32le(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray ackFrame(quint32 addr, int count, int index, int status)
{
    const char p[3] = { char(count), char(index), char(status) };
    return encodeFrame(addr, dtu::kCtlPacket, QByteArray(p, 3));
}

QByteArray awakenAnswerFrame(quint32 device, int result)
{
    return encodeFrame(0, dtu::kCtlAwaken, u32le(device) + QByteArray(1, char(result)));
}

void writeImageFile(const QString& path, int nSize)
{
    QImage img(24, 16, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QByteArray png;
    {
        QBuffer buf(&png);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, "PNG");
    }
    QByteArray tail(qMax(0, nSize - png.size()), '\0');
    for (int i = 0; i < tail.size(); ++i)
        tail[i] = char(i * 31 + 7);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(png + tail);
}
