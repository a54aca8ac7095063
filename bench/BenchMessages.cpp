#include "BenchMessages.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kDevices = 1024;

QByteArray ipText(uint32_t ip)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xffu, (ip >> 8) & 0xffu, ip & 0xffu);
    return QByteArray(buf);
}

QByteArray num(long long value)
{
    return QByteArray::number(value);
}

/// Group of multicast transmit stream `stream` of device `index`.
uint32_t mcastGroup(int index, int stream)
{
    return (239u << 24) | (static_cast<uint32_t>(69 + stream) << 16) | (static_cast<uint32_t>(index) & 0xffffu);
}

QByteArray sdpObject(uint32_t srcIp, uint32_t dstIp, int dstPort, uint32_t rtpTsOffset)
{
    return "{\"srcIp\":\"" + ipText(srcIp) + "\",\"dstIp\":\"" + ipText(dstIp) + "\",\"dstPort\":\"" + num(dstPort) +
           "\",\"chNum\":\"8\",\"sampleByteNum\":\"3\",\"rtpTsOffset\":\"" + num(rtpTsOffset) + "\"}";
}

QByteArray idArray(int first)
{
    QByteArray out = "[";
    for (int i = 0; i < 8; ++i) {
        out += (i ? ",\"" : "\"") + num(first + i) + "\"";
    }
    return out + "]";
}

QByteArray rxElement(int index, int id, bool mcast)
{
    int peer = (index + 1 + id) % kDevices;
    uint32_t src = BenchMessages::deviceIp(peer);
    uint32_t dst = mcast ? mcastGroup(peer, id % 4) : BenchMessages::deviceIp(index);
    return "{\"id\":\"" + num(id) + "\",\"sdp\":" + sdpObject(src, dst, 5004 + 2 * id, 3245318000u + id) +
           ",\"rtpChIdArr\":" + idArray(8 * id) + ",\"active\":\"1\"}";
}

QByteArray txElement(int index, int id, bool mcast)
{
    uint32_t dst = mcast ? mcastGroup(index, id) : BenchMessages::deviceIp((index + kDevices - 1 - id) % kDevices);
    return "{\"id\":\"" + num(id) +
           "\",\"sdp\":" + sdpObject(BenchMessages::deviceIp(index), dst, 5004 + 2 * id, 3245318000u + id) +
           ",\"srcChIdArr\":" + idArray(8 * id) + ",\"name\":\"" + BenchMessages::devId(index) + (mcast ? "-m" : "-u") +
           num(id) + "\"}";
}

} // namespace

uint32_t BenchMessages::deviceIp(int index)
{
    return (10u << 24) | (77u << 16) | (static_cast<uint32_t>(index / 200) << 8) |
           static_cast<uint32_t>(index % 200 + 10);
}

int BenchMessages::deviceIndex(uint32_t ip)
{
    if ((ip >> 16) != ((10u << 8) | 77u)) {
        return -1;
    }
    int hi = static_cast<int>((ip >> 8) & 0xffu);
    int lo = static_cast<int>(ip & 0xffu) - 10;
    if (lo < 0 || lo >= 200) {
        return -1;
    }
    int index = hi * 200 + lo;
    return index < kDevices ? index : -1;
}

QByteArray BenchMessages::devId(int index)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "MD0A4D%04X", static_cast<unsigned>(index));
    return QByteArray(buf);
}

QByteArray BenchMessages::announcement(int index, const Shape& shape)
{
    char clk[32];
    std::snprintf(clk, sizeof clk, "00-1D-C1-FF-FE-%02X-%02X-%02X", (index >> 16) & 0xff, (index >> 8) & 0xff,
                  index & 0xff);
    return "{\"ops\":\"iAmVeranto\",\"devId\":\"" + devId(index) + "\",\"name\":\"Stage box " + num(index + 1) +
           "\",\"ip\":\"" + ipText(deviceIp(index)) + "\",\"port\":\"9990\",\"chNumRx\":\"" + num(shape.chNumRx) +
           "\",\"chNumTx\":\"" + num(shape.chNumTx) + "\",\"ucastNumRx\":\"" + num(shape.ucastNumRx) +
           "\",\"ucastNumTx\":\"" + num(shape.ucastNumTx) + "\",\"mcastNumRx\":\"" + num(shape.mcastNumRx) +
           "\",\"mcastNumTx\":\"" + num(shape.mcastNumTx) +
           "\",\"sampleRate\":\"48000\",\"sampleByteNum\":\"3\",\"pFrameNum\":\"48\",\"dscp\":\"34\","
           "\"delayUs\":\"1000\",\"myClkId\":\"" +
           QByteArray(clk) + "\",\"gmClkId\":\"00-1D-C1-FF-FE-00-00-0A\",\"model\":\"MRD-A64\",\"phyChNumRx\":\"" +
           num(shape.chNumRx) + "\",\"phyChNumTx\":\"" + num(shape.chNumTx) + "\",\"canWork\":\"1\"}";
}

QByteArray BenchMessages::tableReply(int index, const Shape& shape, const QByteArray& request)
{
    const QJsonObject req = QJsonDocument::fromJson(request).object();
    const QByteArray ops = req.value(QStringLiteral("ops")).toString().toUtf8();
    const int idStart = req.value(QStringLiteral("idStart")).toString().toInt();

    // Page sizes keep every reply below about 1400 bytes.
    int count = 0;
    int page = 4;
    if (ops == "getAllRxCh") {
        count = shape.chNumRx;
        page = 32;
    } else if (ops == "getAllRtpCh") {
        count = shape.chNumRx;
        page = 16;
    } else if (ops == "getAllUcastRx" || ops == "getAllActiveUcastId") {
        count = shape.ucastNumRx;
    } else if (ops == "getAllUcastTx") {
        count = shape.ucastNumTx;
    } else if (ops == "getAllMcastRx" || ops == "getAllActiveMcastId") {
        count = shape.mcastNumRx;
    } else if (ops == "getAllMcastTx") {
        count = shape.mcastNumTx;
    } else {
        return QByteArray();
    }
    const bool activeIds = ops.startsWith("getAllActive");
    if (activeIds) {
        page = 64;
    }
    const int idNext = std::max(idStart, std::min(idStart + page, count));

    QByteArray arr;
    for (int id = idStart; id < idNext; ++id) {
        if (!arr.isEmpty()) {
            arr += ',';
        }
        if (activeIds) {
            arr += "\"" + num(id) + "\"";
        } else if (ops == "getAllRxCh") {
            arr += "{\"id\":\"" + num(id) + "\",\"rtpChId\":\"" + num(id) + "\"}";
        } else if (ops == "getAllRtpCh") {
            arr += "{\"id\":\"" + num(id) + "\",\"srcDevId\":\"" + devId((index + 1 + id / 8) % kDevices) +
                   "\",\"srcChId\":\"" + num(id % shape.chNumTx) + "\"}";
        } else if (ops == "getAllUcastRx" || ops == "getAllMcastRx") {
            arr += rxElement(index, id, ops == "getAllMcastRx");
        } else {
            arr += txElement(index, id, ops == "getAllMcastTx");
        }
    }
    return "{\"ops\":\"" + ops + "\",\"idStart\":\"" + num(idStart) + "\",\"idNext\":\"" + num(idNext) +
           "\",\"arr\":[" + arr + "]}";
}

QByteArray BenchMessages::sapAnnouncement(int index)
{
    const uint32_t src = deviceIp(index);
    const uint32_t group = mcastGroup(index, 0);
    const QByteArray sdp = "v=0\r\n"
                           "o=- 1311738121 1311738121 IN IP4 " +
                           ipText(src) + "\r\ns=" + devId(index) +
                           " : 1-8\r\n"
                           "c=IN IP4 " +
                           ipText(group) +
                           "/32\r\n"
                           "t=0 0\r\n"
                           "a=keywds:Meridane\r\n"
                           "m=audio 5004 RTP/AVP 97\r\n"
                           "i=8 channels: 01, 02, 03, 04, 05, 06, 07, 08\r\n"
                           "a=recvonly\r\n"
                           "a=rtpmap:97 L24/48000/8\r\n"
                           "a=ptime:1\r\n"
                           "a=ts-refclk:ptp=IEEE1588-2008:00-1D-C1-FF-FE-00-00-0A:0\r\n"
                           "a=mediaclk:direct=3245318000\r\n"
                           "a=source-filter: incl IN IP4 " +
                           ipText(group) + " " + ipText(src) + "\r\n";
    // SAP v1 announcement: flags, no authentication, message id hash, IPv4 origin, payload type.
    QByteArray packet(8, '\0');
    packet[0] = char(0x20);
    packet[2] = char((index >> 8) & 0xff);
    packet[3] = char(index & 0xff);
    packet[4] = char(src >> 24);
    packet[5] = char((src >> 16) & 0xff);
    packet[6] = char((src >> 8) & 0xff);
    packet[7] = char(src & 0xff);
    packet.append("application/sdp", 15);
    packet.append('\0');
    return packet + sdp;
}
