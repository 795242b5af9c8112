#pragma once

#include <QObject>

// SIGINT and SIGTERM as a Qt signal: the handler only writes to a pipe that
// the event loop watches, so nothing unsafe runs inside the handler.
class InterruptNotifier : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void interrupted();
};

// Installs the handlers on first use.
InterruptNotifier* interruptNotifier();
