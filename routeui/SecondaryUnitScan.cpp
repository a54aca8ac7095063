#include "SecondaryUnitScan.h"

#include "CoreLog.h"
#include "DevDetailStore.h"
#include "SecondaryUnitProbe.h"

#include <QEventLoop>
#include <QTimer>
#include <QUdpSocket>
#include <cstring>

namespace {

const char* const kLogFile = "routeui/netstateform";
const char* const kLogFunc = "NetStateForm::updateAllVerantoDev";
// Answers are short texts; anything longer is not one of them.
constexpr qint64 kMaxDatagram = 1499;

} // namespace

int SecondaryUnitScan::run(const Config& config, const ModelTable& models, DevDetailStore& store)
{
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::AnyIPv4, config.bindPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        MERIDANE_NET_LOG(kLogFile, kLogFunc);

    const qint64 length = qint64(std::strlen(SecondaryUnitProbe::kQuestion));
    if (socket.writeDatagram(SecondaryUnitProbe::kQuestion, length, config.target, config.targetPort) != length)
        MERIDANE_NET_LOG(kLogFile, kLogFunc);

    // Answers come within a second; the window keeps painting meanwhile.
    QEventLoop loop;
    QTimer::singleShot(config.waitMs, &loop, &QEventLoop::quit);
    loop.exec();

    // A host flooding the port would otherwise keep this loop, and the window, busy for as long as it sends.
    int recorded = 0;
    QByteArray buffer(int(kMaxDatagram) + 1, Qt::Uninitialized);
    for (int read = 0; read < config.maxDatagrams && socket.hasPendingDatagrams(); ++read) {
        const qint64 got = socket.readDatagram(buffer.data(), buffer.size());
        if (got < 0)
            break;
        // A stray oversized datagram on the shared port is dropped; the answers behind it still count.
        if (got > kMaxDatagram)
            continue;
        const SecondaryUnitProbe::Answer answer = SecondaryUnitProbe::parse(buffer.left(int(got)), models);
        if (answer.isAnswer && SecondaryUnitProbe::record(answer, store))
            ++recorded;
    }
    socket.close();
    return recorded;
}
