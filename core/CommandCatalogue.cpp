#include "CommandCatalogue.h"

namespace {

using F = CommandRow::Field;

CommandRow row(const char* ops, const char* txOps, const char* rxOps, CommandRow::PortKind kind, uint16_t port,
               QVector<F> fields, CommandRow::BodyKind body = CommandRow::Fields)
{
    CommandRow r;
    r.ops = QString::fromLatin1(ops);
    r.txOps = QString::fromLatin1(txOps);
    r.rxOps = QString::fromLatin1(rxOps);
    r.portKind = kind;
    r.port = port;
    r.fields = std::move(fields);
    r.body = body;
    return r;
}

CommandRow same(const char* ops, CommandRow::PortKind kind, uint16_t port, QVector<F> fields = {})
{
    return row(ops, ops, "", kind, port, std::move(fields));
}

CommandRow inOut(const char* ops, const char* txOps, const char* rxOps, QVector<F> fields)
{
    return row(ops, txOps, rxOps, CommandRow::CommandPort, 0, std::move(fields));
}

F text(const char* name)
{
    return F{QString::fromLatin1(name), QString::fromLatin1(name), F::Text};
}

F renamed(const char* from, const char* to, F::Kind kind = F::Text)
{
    return F{QString::fromLatin1(from), QString::fromLatin1(to), kind};
}

const CommandRow::PortKind Cmd = CommandRow::CommandPort;
const CommandRow::PortKind Fixed = CommandRow::FixedPort;

} // namespace

CommandCatalogue::CommandCatalogue()
{
    m_rows = {
        row("setIp", "setIp", "", CommandRow::Broadcast, 9994,
            {text("devId"), renamed("isFixedIp", "fixedIp"), text("ip"), renamed("gateway", "gw"), text("dns")}),
        same("setDevName", Cmd, 0, {text("name")}),
        inOut("setChName", "setChNameTx", "setChNameRx", {renamed("ch", "id", F::Integer), text("name")}),
        same("setSampleRate", Fixed, 9994, {text("val")}),
        same("setPacketTimeDiv", Fixed, 9994, {text("val")}),
        same("setDelayUs", Cmd, 0, {text("us")}),
        same("setPtpPriority", Fixed, 9994, {text("val")}),
        same("setPtpDomain", Fixed, 9994, {text("val")}),
        same("setPtpDscp", Fixed, 9994, {text("val")}),
        same("setDscp", Cmd, 0, {text("dscp")}),
        row("setSampleByteNum", "setSampleByteNum", "", Cmd, 0, {}, CommandRow::Unchanged),
        inOut("getAllPhyLevel", "getAllPhyVolumeDbTx", "getAllPhyVolumeDbRx", {text("idStart")}),
        inOut("getAllPhyGain", "getAllPhyGainDbTx", "getAllPhyGainDbRx", {text("idStart")}),
        inOut("setPhyGain", "setPhyGainDbTx", "setPhyGainDbRx", {text("id"), text("val")}),
        inOut("getAllPhyMute", "getAllPhyMuteTx", "getAllPhyMuteRx", {text("idStart")}),
        inOut("setPhyMute", "setPhyMuteTx", "setPhyMuteRx", {text("id"), text("val")}),
        inOut("getAllNetLevel", "getAllVolumeDbTx", "getAllVolumeDbRx", {text("idStart")}),
        row("getDelayStatUcast", "getUcastStats", "", Cmd, 0, {text("sdpId")}),
        row("getDelayStatMcast", "getMcastStats", "", Cmd, 0, {text("sdpId")}),
        row("clrDelayStatUcast", "clrUcastStats", "", Cmd, 0, {text("sdpId")}),
        row("clrDelayStatMcast", "clrMcastStats", "", Cmd, 0, {text("sdpId")}),
        same("setMcastTx", Cmd, 0,
             {text("name"), renamed("sdp", "sdp", F::Object), renamed("srcChIdArr", "srcChIdArr", F::Array)}),
        same("clrMcastTx", Cmd, 0, {text("dstIp"), text("name")}),
        row("setUcastRx", "setUcastRx", "", Cmd, 0, {}, CommandRow::Unchanged),
        same("clrRxCh", Cmd, 0, {renamed("dstChId", "dstChId", F::Integer)}),
        same("getIp", Fixed, 9994),
        same("getDebugInfo", Fixed, 9994),
        same("getInfo", Fixed, 9992),
        same("setGain", Fixed, 9992, {text("id"), text("val")}),
        same("setPower", Fixed, 9992, {text("id"), text("val")}),
        same("getVersion", Fixed, 9994),
        same("reboot", Fixed, 9994),
        row("sendUdpToUart", "sendUdpToUart", "", Fixed, 7999, {}, CommandRow::RawCmd),
        same("getCfg", Fixed, 9993),
        same("setCfg", Fixed, 9993, {text("cfg")}),
        same("getGpioInfo", Fixed, 9992, {text("index")}),
        same("setGpioInfo", Fixed, 9992, {text("index"), renamed("gpioInfo", "gpioInfo", F::Object)}),
        same("testGpio", Fixed, 9992, {text("isHigh")}),
        // The factory service: the test page's CPU frequency lives in the device's OEM data.
        same("getOemData", Fixed, 12000, {text("name")}),
        same("setOemData", Fixed, 12000, {text("name"), text("val")}),
    };
}

const CommandCatalogue& CommandCatalogue::instance()
{
    static const CommandCatalogue catalogue;
    return catalogue;
}

const CommandRow* CommandCatalogue::find(const QString& ops) const
{
    for (const CommandRow& r : m_rows) {
        if (r.ops == ops)
            return &r;
    }
    return nullptr;
}
