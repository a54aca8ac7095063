#include "RegistryNotifier.h"

#include "DevManager.h"

#include <QHash>
#include <functional>

namespace {

void notifyHook(void* ctx, const QJsonObject& msg)
{
    static_cast<RegistryNotifier*>(ctx)->dispatch(msg);
}

QString sdpDstIp(const QJsonObject& msg)
{
    return msg.value(QStringLiteral("sdp")).toObject().value(QStringLiteral("dstIp")).toString();
}

} // namespace

RegistryNotifier::RegistryNotifier(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<uint32_t>("uint32_t");
    dvm_setNotifyHook(&notifyHook, this);
}

RegistryNotifier::~RegistryNotifier()
{
    dvm_setNotifyHook(nullptr, nullptr);
}

void RegistryNotifier::dispatch(const QJsonObject& msg)
{
    using Handler = std::function<void(RegistryNotifier*, const QJsonObject&)>;
    static const QHash<QString, Handler> table = {
        {QStringLiteral("addDev"),
         [](RegistryNotifier* n, const QJsonObject& m) { emit n->signal_send_addDev(m.value("devId").toString()); }},
        {QStringLiteral("updateDev"),
         [](RegistryNotifier* n, const QJsonObject& m) { emit n->signal_send_updateDev(m.value("devId").toString()); }},
        {QStringLiteral("delDev"),
         [](RegistryNotifier* n, const QJsonObject& m) { emit n->signal_send_delDev(m.value("devId").toString()); }},
        {QStringLiteral("addMcast"),
         [](RegistryNotifier* n, const QJsonObject& m) { emit n->signal_send_addMcast(sdpDstIp(m)); }},
        {QStringLiteral("delMcast"),
         [](RegistryNotifier* n, const QJsonObject& m) { emit n->signal_send_delMcast(dvm_parseIp(sdpDstIp(m))); }},
        {QStringLiteral("updateRoute"),
         [](RegistryNotifier* n, const QJsonObject&) { emit n->signal_refresh_route(); }},
        {QStringLiteral("updateActive"),
         [](RegistryNotifier* n, const QJsonObject&) { emit n->sendBackDataSignal(QStringLiteral("refreshRoute")); }},
    };
    const auto it = table.constFind(msg.value(QStringLiteral("ops")).toString());
    if (it != table.constEnd())
        it.value()(this, msg);
}
