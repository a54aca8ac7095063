#pragma once
// A processor device in the detail store, configurations built with the model, and a dialog whose datagrams are
// captured instead of sent.
#include "AppState.h"
#include "CBaseItem.h"
#include "CDeviceDspData.h"
#include "DevDetailStore.h"
#include "DevDspDialog.h"
#include "DspBlockFactory.h"
#include "DspCpuFigures.h"
#include "DspDefaultConfig.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QStringList>
#include <gtest/gtest.h>

#include <memory>

namespace dsptest {

inline QApplication* app()
{
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-dsp-widgets-test";
        static char* argv[] = {name, nullptr};
        // Never destroyed: tearing it down among other statics at exit only produces noise.
        new QApplication(argc, argv);
        // The dialog logs every request and dumps every configuration; the tests read neither.
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    }
    return qobject_cast<QApplication*>(QApplication::instance());
}

constexpr uint32_t kDevIp = 0xC0A8010B; // 192.168.1.11
constexpr int kCommandPort = 9990;
const QString kDevId = QStringLiteral("MRD-0042");

struct TestDevice
{
    QString devId = kDevId;
    QString name = QStringLiteral("Hall DSP");
    QString model = QStringLiteral("MRD-M16"); ///< a processor with per-device meters and full CPU factor
    int phyIn = 2;
    int netIn = 2;
    int phyOut = 2;
    int netOut = 2;
    int sampleRate = 48000;
    uint32_t ip = kDevIp;
};

/// Lists the device in the detail store (the dialog reads nothing else).
inline void addDevice(const TestDevice& d = TestDevice())
{
    DevDetail_t det;
    det.devId = d.devId;
    det.name = d.name;
    det.ip = d.ip;
    det.port = kCommandPort;
    det.model = d.model;
    det.type = d.model;
    det.sampleRate = d.sampleRate;
    det.firmwareVersion = QStringLiteral("3.2.0");
    det.phyRxChNames = DevDetail_t::numberedNames(QStringLiteral("AnalogIn"), d.phyIn);
    det.rxChNames = DevDetail_t::numberedNames(QStringLiteral("NetIn"), d.netIn);
    det.phyTxChNames = DevDetail_t::numberedNames(QStringLiteral("AnalogOut"), d.phyOut);
    det.txChNames = DevDetail_t::numberedNames(QStringLiteral("NetOut"), d.netOut);
    ASSERT_NE(DevDetailStore::instance().insertDevDetail(det), DevDetailStore::IpTaken);
}

inline void resetAll()
{
    DevDetailStore::instance().clear();
    AppState::setMode(10);
    AppState::setChinese(false);
    DspCpuFigures::instance().reset();
}

inline QString json(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

inline QJsonObject parse(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

/// A getConfig reply of `inputs` x `outputs` channels without blocks, then edited by `edit`.
template <typename Edit> QString configReply(int inputs, int outputs, Edit edit, int sampleRate = 48000)
{
    CDeviceDspData data;
    data.parse(DspDefaultConfig::reply(inputs, outputs, sampleRate), QStringLiteral("3.2.0"));
    edit(data);
    const QJsonObject reply{{"ops", "getConfig"}, {"result", "succ"}, {"config", data.writeConfig("3.2.0")}};
    return json(reply);
}

inline QString configReply(int inputs, int outputs)
{
    return configReply(inputs, outputs, [](CDeviceDspData&) {});
}

inline void addBlocks(CDeviceDspData& data, bool isInput, int ch, std::initializer_list<int> kinds)
{
    for (int kind : kinds)
        data.channel(isInput, ch)->appendBlock(DspBlockFactory::create(kind));
}

/// The device's answer to the version request.
inline QString versionReply(int chNumIn, int chNumOut, const QString& devId = kDevId)
{
    const QJsonObject o{{"uiTag", "dspUiTag"},
                        {"ops", "getVersion"},
                        {"devId", devId},
                        {"result", "succ"},
                        {"model", "DSP-2C"},
                        {"dspVer", "1.4"},
                        {"version", "3.2.0"},
                        {"chNumIn", QString::number(chNumIn)},
                        {"chNumOut", QString::number(chNumOut)},
                        {"memory", "64M"},
                        {"funcList", "eq,,delay"}};
    return json(o);
}

/// A tagged reply of this device: {"devId","ops","result","uiTag"} plus `extra`.
inline QString reply(const QString& ops, bool succ, QJsonObject extra = QJsonObject())
{
    extra.insert(QStringLiteral("uiTag"), QStringLiteral("dspUiTag"));
    extra.insert(QStringLiteral("ops"), ops);
    extra.insert(QStringLiteral("devId"), kDevId);
    extra.insert(QStringLiteral("result"), succ ? QStringLiteral("succ") : QStringLiteral("fail"));
    return json(extra);
}

struct Datagram
{
    QString text;
    uint32_t ip = 0;
    quint16 port = 0;
};

/// A dialog without link thread whose datagrams land in `sent`; fixtures derive from this.
class DialogFixture : public ::testing::Test
{
protected:
    DialogFixture()
    {
        app();
        resetAll();
    }
    ~DialogFixture() override { resetAll(); }

    /// Opens the dialog for the device (listed first with `device`).
    void open(const TestDevice& device = TestDevice())
    {
        addDevice(device);
        dialog = std::make_unique<DevDspDialog>();
        dialog->setLinkEnabled(false);
        dialog->setUdpSender([this](const QByteArray& data, uint32_t ip, quint16 port) {
            sent.append({QString::fromUtf8(data), ip, port});
            return data.size();
        });
        tcp = std::make_unique<QSignalSpy>(dialog.get(), &DevDspDialog::signal_sendTcpMsg);
        dialog->initOnlineUi(device.devId);
    }

    /// Version and configuration as the device would answer them.
    void download(const QString& config, int chNumIn, int chNumOut)
    {
        dialog->recvBackData(versionReply(chNumIn, chNumOut));
        dialog->handle_recvTcpMsg(config);
    }

    QStringList sentOps() const
    {
        QStringList out;
        for (const Datagram& d : sent)
            out << parse(d.text).value(QStringLiteral("ops")).toString();
        return out;
    }

    QStringList tcpTexts() const
    {
        QStringList out;
        for (const QList<QVariant>& args : *tcp)
            out << args.at(0).toString();
        return out;
    }

    std::unique_ptr<DevDspDialog> dialog;
    std::unique_ptr<QSignalSpy> tcp;
    QList<Datagram> sent;
};

} // namespace dsptest
