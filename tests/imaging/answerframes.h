#pragma once

#include <QByteArray>
#include <QString>

// Answers a device sends.
QByteArray u32le(quint32 v);
QByteArray ackFrame(quint32 addr, int count, int index, int status);
QByteArray awakenAnswerFrame(quint32 device, int result);
// A PNG of exactly nSize bytes (the loader ignores what follows IEND).
void writeImageFile(const QString& path, int nSize);
