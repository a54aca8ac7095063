#pragma once
// A device as its announcement and first replies would leave it, and a QApplication for the widgets.
#include "AppState.h"
#include "DevDetailStore.h"
#include "DevManager.h"

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QStringList>
#include <gtest/gtest.h>

namespace settingstest {

inline QApplication* app()
{
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-settings-test";
        static char* argv[] = {name, nullptr};
        // Never destroyed: tearing it down among other statics at exit only produces noise.
        new QApplication(argc, argv);
    }
    return qobject_cast<QApplication*>(QApplication::instance());
}

/// Fixtures holding widgets as members derive from this: the application exists before they do.
class WidgetFixture : public ::testing::Test
{
protected:
    WidgetFixture() { app(); }
};

struct TestDevice
{
    QString devId = QStringLiteral("MRD-0001");
    QString name = QStringLiteral("Stage Left");
    QString ip = QStringLiteral("192.168.1.11");
    QString model = QStringLiteral("MRD-A16");
    int sampleRate = 48000;
    int pFrameNum = 12; ///< 0.25 ms at 48 kHz
    int delayUs = 3000;
    QStringList rxNames = {QStringLiteral("Mic 1"), QStringLiteral("Mic 2")};
    QStringList txNames = {QStringLiteral("Mix L"), QStringLiteral("Mix R")};
    int detailLock = 0;
};

/// Puts the device into the registry and the detail store.
inline void addDevice(const TestDevice& d)
{
    const QByteArray msg =
        QStringLiteral(R"({"ops":"iAmVeranto","devId":"%1","name":"%2","ip":"%3","port":"9990",)"
                       R"("chNumRx":"%4","chNumTx":"%5","phyChNumRx":"0","phyChNumTx":"0","canWork":"1",)"
                       R"("model":"%6","myClkId":"00-1D-C1-FF-FE-12-34-56","sampleRate":"%7","pFrameNum":"%8",)"
                       R"("delayUs":"%9","sampleByteNum":"3"})")
            .arg(d.devId, d.name, d.ip)
            .arg(d.rxNames.size())
            .arg(d.txNames.size())
            .arg(d.model)
            .arg(d.sampleRate)
            .arg(d.pFrameNum)
            .arg(d.delayUs)
            .toUtf8();
    ASSERT_EQ(userCallLib_handleUdp_mcast(msg.constData(), msg.size(), dvm_parseIp(d.ip), 9996), 1);
    ASSERT_EQ(DevDetailStore::instance().addFromRegistry(d.devId), DevDetailStore::Added);
    DevDetailStore::instance().updateDevDetail(d.devId, [&](DevDetail_t& det) {
        det.rxChNames = d.rxNames;
        det.txChNames = d.txNames;
        det.sampleRates = QStringList{QStringLiteral("44100"), QStringLiteral("48000"), QStringLiteral("96000")};
        det.packetTimeDivs =
            QStringList{QStringLiteral("1000"), QStringLiteral("2000"), QStringLiteral("4000"), QStringLiteral("8000")};
        det.firmwareVersion = QStringLiteral("2.4.1");
        det.sampleByteNum = 3;
        det.detailLock = d.detailLock;
    });
}

inline void resetAll()
{
    dvm_resetForTest();
    DevDetailStore::instance().clear();
    AppState::setMode(10);
    AppState::setChinese(false);
    AppState::setConfig(AppConfig());
}

/// A configuration file that turns on the named switches.
inline AppConfig configWith(std::initializer_list<AppConfig::Switch> on)
{
    QString text = QStringLiteral("Title=Meridane\n");
    for (const AppConfig::Switch s : on)
        text += AppConfig::switchKey(s) + QStringLiteral("=1\n");
    return AppConfig::fromText(text);
}

inline QString json(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

inline QJsonObject parse(const QVariant& v)
{
    return QJsonDocument::fromJson(v.toString().toUtf8()).object();
}

/// The messages a spy of a single-QString signal caught, parsed; `ops` filters when not empty.
inline QVector<QJsonObject> messages(const QSignalSpy& spy, const QString& ops = QString())
{
    QVector<QJsonObject> out;
    for (const QList<QVariant>& args : spy) {
        const QJsonObject o = parse(args.at(0));
        if (ops.isEmpty() || o.value(QStringLiteral("ops")).toString() == ops)
            out.append(o);
    }
    return out;
}

inline QStringList texts(const QSignalSpy& spy)
{
    QStringList out;
    for (const QList<QVariant>& args : spy)
        out.append(args.at(0).toString());
    return out;
}

} // namespace settingstest
