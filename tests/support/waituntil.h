// Waits on a condition while the event loop runs, instead of sleeping a fixed time.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace tavrin::test {

template <typename Predicate> bool waitUntil(Predicate predicate, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!predicate()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

} // namespace tavrin::test
