#pragma once

#include <QByteArray>
#include <QVector>

// The device end of the line reads frames by their length field, the way the
// radio modem does. Bytes that do not start a well-formed frame are terminal
// data, passed on as raw items.
struct LineItem
{
    enum Kind { Frame, Raw };
    Kind kind;
    QByteArray bytes;
};

class DeviceFrameReader
{
public:
    void append(const QByteArray& bytes) { m_buffer.append(bytes); }
    // Complete items in stream order; a frame still arriving stays buffered.
    QVector<LineItem> take();
    // The line went quiet inside a frame candidate: its head byte was data
    // after all. Empties the buffer, still finding any frame behind it.
    QVector<LineItem> flush();
    bool hasPending() const { return !m_buffer.isEmpty(); }

private:
    QByteArray m_buffer;
};
