#include "DspTestConfig.h"

#include "CDeviceDspData.h"

#include <QJsonDocument>

namespace dsptest {

namespace {

QString s(int v)
{
    return QString::number(v);
}

QJsonObject comm(int groupId, bool mute = false, double gainDb = 0, bool inverse = false)
{
    return QJsonObject{{"mute", mute ? "1" : "0"},
                       {"inverse", inverse ? "1" : "0"},
                       {"gainDb", QString::number(gainDb)},
                       {"groupId", s(groupId)}};
}

QJsonObject eqBand(int type, const char* freq, const char* gain, const char* q)
{
    return QJsonObject{{"type", s(type)}, {"freq0", freq}, {"dbGain", gain}, {"qBwS", q}};
}

} // namespace

QJsonObject block(int jsonType, const QJsonObject& obj, bool bypass, int groupId, int core)
{
    return QJsonObject{{"type", s(jsonType)},
                       {"bypass", bypass ? "1" : "0"},
                       {"groupId", s(groupId)},
                       {"core", s(core)},
                       {"obj", obj}};
}

QJsonObject channelNode(int count, const QList<QJsonArray>& chains, int groupIdOfFirst)
{
    QJsonArray comms;
    QJsonArray ports;
    for (int j = 0; j < count; ++j) {
        comms.append(comm(j == 0 ? groupIdOfFirst : -1, j % 3 == 1, j * 0.5 - 3, j % 4 == 2));
        ports.append(QJsonObject{{"core", s(j % 2)}, {"procArr", j < chains.size() ? chains.at(j) : QJsonArray()}});
    }
    return QJsonObject{
        {"type", "0"}, {"portNum", s(count)}, {"commArr", comms}, {"obj", QJsonObject{{"portArr", ports}}}};
}

QJsonObject matrixNode(int columns, int rows, bool withGains)
{
    QJsonArray ports;
    for (int c = 0; c < columns; ++c) {
        QJsonArray mutes;
        QJsonArray gains;
        for (int r = 0; r < rows; ++r) {
            mutes.append((c + r) % 2 == 0 ? "0" : "1");
            gains.append(s((c + r) % 241));
        }
        QJsonObject port{{"mode", c % 5 == 0 ? "1" : "0"}, {"muteArr", mutes}};
        if (withGains)
            port.insert("gainArr", gains);
        ports.append(port);
    }
    return QJsonObject{
        {"type", "1"}, {"portNum", s(columns)}, {"commArr", QJsonArray()}, {"obj", QJsonObject{{"portArr", ports}}}};
}

QJsonObject aecNode(int nearCount)
{
    QJsonArray nears;
    QJsonArray fars;
    for (int k = 0; k < nearCount; ++k) {
        nears.append(k % 2 == 0 ? "1" : "0");
        fars.append(k == 3 ? "1" : "0");
    }
    const QJsonObject obj{{"hasAec", "1"},   {"aecLevel", "2"},  {"hasAgc", "0"}, {"hasAns", "1"},
                          {"ansLevel", "3"}, {"nearArr", nears}, {"farArr", fars}};
    return QJsonObject{{"type", "2"}, {"portNum", "1"}, {"commArr", QJsonArray{comm(1, true, -6, true)}}, {"obj", obj}};
}

QJsonObject automixerNode(const QJsonArray& masks)
{
    const QJsonObject obj{{"mode", "1"},         {"slope", "0.75"},        {"duckDb", "-24"},
                          {"duckAttackMs", "5"}, {"duckReleaseMs", "800"}, {"decayDb", "-60"},
                          {"trigDb", "-45.5"},   {"holdMs", "1500"},       {"attackMs", "2"},
                          {"releaseMs", "900"},  {"chNumLimit", "3"},      {"nomAttenuate", "0"},
                          {"leaveLastOn", "1"},  {"maskArr", masks}};
    return QJsonObject{{"type", "3"}, {"portNum", "1"}, {"commArr", QJsonArray{comm(-1, false, 1.5)}}, {"obj", obj}};
}

QJsonObject config(const QJsonArray& nodes, const QJsonArray& groups, int sampleRate)
{
    return QJsonObject{{"version", "7"},
                       {"sampleRate", s(sampleRate)},
                       {"customStr", "stage left"},
                       {"groupArr", groups},
                       {"nodeArr", nodes}};
}

QString reply(const QJsonObject& config)
{
    const QJsonObject r{{"ops", "getConfig"}, {"result", "succ"}, {"config", config}};
    return QString::fromUtf8(QJsonDocument(r).toJson(QJsonDocument::Compact));
}

QJsonObject realisticConfig()
{
    const QJsonArray eqArr{eqBand(0, "100", "3.5", "1.4"), eqBand(1, "250", "-2", "0.7"), eqBand(2, "8000", "6", "2")};
    const QJsonObject eq{{"eqArr", eqArr}, {"bypassArr", QJsonArray{"0", "1", "0"}}};
    const QJsonObject hpf{{"isHpf", "1"}, {"order", "2"}, {"type", "1"}, {"freq0", "80"}};
    const QJsonObject lpf{{"isHpf", "0"}, {"order", "4"}, {"type", "2"}, {"freq0", "16000"}};
    const QJsonObject delay{{"delayNum", "480"}, {"maxNum", "4800"}};
    const QJsonObject comp{
        {"trigDb", "-18.5"}, {"ratio", "4"}, {"attackMs", "20"}, {"releaseMs", "200"}, {"kneeDb", "6"}};
    const QJsonObject fbe{{"freqShift", "2"}};
    const QJsonObject firLow{{"firType", "0"},   {"winType", "2"},  {"attDb", "40"},    {"taps", "255"},
                             {"maxTaps", "512"}, {"freq0", "5000"}, {"freq1", "20001"}, {"arr", QJsonArray()}};
    const QJsonObject firCustom{
        {"firType", "3"},   {"winType", "0"}, {"attDb", "21"},    {"taps", "99"},
        {"maxTaps", "256"}, {"freq0", "500"}, {"freq1", "10000"}, {"arr", QJsonArray{"0.25", "0.5", "0.25"}}};
    const QJsonObject limit{{"limitDb", "-3"}};
    const QJsonObject gate{{"trigDb", "-70"}, {"openMs", "5"}, {"closeMs", "50"}};
    const QJsonObject expand{
        {"trigDb", "-40"}, {"ratio", "1.5"}, {"attackMs", "10"}, {"releaseMs", "300"}, {"kneeDb", "3"}};
    const QJsonObject gen{{"mode", "1"}, {"gainDb", "-12"}, {"freq", "440"}};
    const QJsonObject chAec{{"hasAec", "1"},   {"aecLevel", "2"},   {"hasAgc", "1"}, {"hasAns", "0"},
                            {"ansLevel", "1"}, {"banMask", "0x0f"}, {"farCh", "17"}, {"farFromOut", "1"}};
    const QJsonObject ducker{{"trigDb", "-55.5"},  {"duckDb", "-20"},  {"attackMs", "3"},
                             {"releaseMs", "700"}, {"holdMs", "1000"}, {"refCh", "4"}};

    QList<QJsonArray> inChains;
    inChains << QJsonArray{block(4, hpf), block(0, eq, false, 2, 0), block(2, comp), block(4, lpf, true)}
             << QJsonArray{block(7, gate), block(8, expand), block(1, delay, true)}
             << QJsonArray{block(10, chAec), block(11, ducker)} << QJsonArray{block(9, gen)};
    QList<QJsonArray> outChains;
    outChains << QJsonArray{block(5, firLow), block(6, limit)} << QJsonArray{} << QJsonArray{}
              << QJsonArray{block(3, fbe), block(5, firCustom), block(1, delay)};

    const QJsonArray groups{QJsonObject{{"gainDb", "-2.5"}, {"mute", "0"}, {"name", "Lectern"}},
                            QJsonObject{{"gainDb", "0"}, {"mute", "1"}, {"name", "Ceiling"}},
                            QJsonObject{{"gainDb", "3"}, {"mute", "0"}, {"name", ""}},
                            QJsonObject{{"gainDb", "0"}, {"mute", "0"}, {"name", "Spare"}}};
    const QJsonArray nodes{channelNode(16, inChains, 2),
                           automixerNode(QJsonArray{"5", "0x10", "255"}),
                           automixerNode(QJsonArray{"0xFFFFFFFFFFFFFFFF"}),
                           aecNode(16),
                           matrixNode(16, 19),
                           channelNode(16, outChains)};
    return config(nodes, groups);
}

namespace {

QString text(const QJsonValue& v)
{
    const QByteArray t = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(t.mid(1, t.size() - 2));
}

void diff(const QJsonValue& a, const QJsonValue& b, const QString& path, QStringList& out)
{
    if (a.isObject() && b.isObject()) {
        QStringList keys = a.toObject().keys() + b.toObject().keys();
        keys.removeDuplicates();
        for (const QString& k : keys)
            diff(a.toObject().value(k), b.toObject().value(k), path + "/" + k, out);
    } else if (a.isArray() && b.isArray() && a.toArray().size() == b.toArray().size()) {
        for (int i = 0; i < a.toArray().size(); ++i)
            diff(a.toArray().at(i), b.toArray().at(i), path + "/" + QString::number(i), out);
    } else if (a != b) {
        out << path + " " + text(a) + " -> " + text(b);
    }
}

} // namespace

QStringList differences(const QJsonValue& a, const QJsonValue& b)
{
    QStringList out;
    diff(a, b, QString(), out);
    return out;
}

void setInfo(CDeviceDspData& data, int in, int out)
{
    data.info().chNumIn = in;
    data.info().chNumOut = out;
}

} // namespace dsptest
