#include "DspMatrixBatchRun.h"

#include <QThread>

#include <chrono>

int DspMatrixBatchRun::run(const QStringList& texts, const Sender& send, const ClockUs& clock,
                           const std::atomic<bool>& cancel, qint64 gapUs)
{
    int sent = 0;
    qint64 last = 0;
    for (const QString& text : texts) {
        if (cancel.load())
            break;
        if (sent > 0) {
            // A busy wait: the gap is far below what a sleep can hit, and the thread is ours alone.
            while (clock() - last < gapUs) {
                if (cancel.load())
                    return sent;
                QThread::yieldCurrentThread();
            }
        }
        last = clock();
        send(text);
        ++sent;
    }
    return sent;
}

qint64 DspMatrixBatchRun::steadyUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
