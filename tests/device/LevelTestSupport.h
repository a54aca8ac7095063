#pragma once
// Shared by the level page tests: a QApplication, devices listed straight in the detail store, every
// datagram captured at the send hook (from any thread) and every command message a widget emits.
#include "AppState.h"
#include "DevDetailStore.h"
#include "DevManager.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace levelstest {

inline QApplication* app()
{
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-levels-test";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv); // kept until exit
    }
    return qobject_cast<QApplication*>(QApplication::instance());
}

inline QString compact(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

inline QJsonObject parse(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

struct Sent
{
    QJsonObject msg;
    uint32_t ip;
    uint16_t port;
};

constexpr uint32_t kDevIp = 0xC0A8010B; // 192.168.1.11

class LevelsTest : public ::testing::Test
{
protected:
    LevelsTest() { app(); }

    void SetUp() override
    {
        DevDetailStore::instance().clear();
        dvm_setSendHook(&LevelsTest::onSend, this);
        AppState::setChinese(true);
        AppState::setMode(10);
    }
    void TearDown() override
    {
        dvm_setSendHook(nullptr, nullptr);
        DevDetailStore::instance().clear();
        AppState::setChinese(false);
    }

    static int onSend(void* ctx, const char* data, int length, uint32_t ip, uint16_t port)
    {
        auto* self = static_cast<LevelsTest*>(ctx);
        QMutexLocker lock(&self->sentMutex);
        self->sent.push_back({QJsonDocument::fromJson(QByteArray(data, length)).object(), ip, port});
        return length;
    }

    std::vector<Sent> sentCopy()
    {
        QMutexLocker lock(&sentMutex);
        return sent;
    }

    /// Lists a device with the given channel counts (physical in/out, network in/out).
    DevDetail_t addDevice(const QString& devId, const QString& model, int phyIn, int phyOut, int netIn, int netOut,
                          const QString& firmware = QStringLiteral("3.0.6"), uint32_t ip = kDevIp)
    {
        DevDetail_t d;
        d.devId = devId;
        d.name = QStringLiteral("Dev ") + devId;
        d.ip = ip;
        d.port = 9990;
        d.model = model;
        d.firmwareVersion = firmware;
        d.phyRxChNames = DevDetail_t::numberedNames(QStringLiteral("AnalogIn"), phyIn);
        d.phyTxChNames = DevDetail_t::numberedNames(QStringLiteral("AnalogOut"), phyOut);
        d.rxChNames = DevDetail_t::numberedNames(QStringLiteral("NetIn"), netIn);
        d.txChNames = DevDetail_t::numberedNames(QStringLiteral("NetOut"), netOut);
        d.phyRxGains = QVector<double>(phyIn, 0.0);
        d.phyTxGains = QVector<double>(phyOut, 0.0);
        d.phyRxMutes = QVector<int>(phyIn, 0);
        d.phyTxMutes = QVector<int>(phyOut, 0);
        DevDetailStore::instance().insertDevDetail(d);
        return d;
    }

    /// A paged reply as the dispatcher emits it.
    static QString pageReply(const QString& ops, const QString& devId, int inOrOut, int idStart, int idNext,
                             const QStringList& values, const QString& result = QStringLiteral("succ"))
    {
        QJsonObject o{{QStringLiteral("ops"), ops},
                      {QStringLiteral("devId"), devId},
                      {QStringLiteral("inOrOut"), QString::number(inOrOut)},
                      {QStringLiteral("idStart"), QString::number(idStart)},
                      {QStringLiteral("idNext"), QString::number(idNext)},
                      {QStringLiteral("arr"), QJsonArray::fromStringList(values)},
                      {QStringLiteral("result"), result}};
        return compact(o);
    }

    QMutex sentMutex;
    std::vector<Sent> sent;
};

} // namespace levelstest
