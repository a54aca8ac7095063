#include "SimDspConfig.h"

#include "SimDevice.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>

namespace {

/// JSON block types as the processor knows them.
enum BlockType
{
    Eq = 0,
    Delay = 1,
    Compress = 2,
    Fbe = 3,
    Hlpf = 4,
    Fir = 5,
    Limit = 6,
    NoiseGate = 7,
    Expand = 8,
    SignalGen = 9,
    ChAec = 10,
    Ducker = 11,
};

QString t(double v)
{
    return QString::number(v, 'g', 6);
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

const double kThirdOctave[31] = {20,   25.2, 31.7, 40,   50.4, 63.5,  80,    101,   127,  160,  202,
                                 254,  320,  403,  508,  640,  806,   1000,  1280,  1600, 2000, 2560,
                                 3200, 4000, 5100, 6450, 8100, 10200, 12900, 16200, 20000};

QJsonObject eq(int bands, int seed)
{
    QJsonArray arr;
    QJsonArray bypass;
    for (int i = 0; i < bands; ++i) {
        const double freq = kThirdOctave[(i + 1) * 31 / (bands + 1)];
        // Shelves at the ends, peaks between, gains that differ from band to band.
        const int type = i == 0 ? 1 : (i == bands - 1 ? 2 : 0);
        const double gain = double((i + seed) % 7 - 3) * 1.5;
        arr.append(QJsonObject{{QStringLiteral("type"), QString::number(type)},
                               {QStringLiteral("freq0"), t(freq)},
                               {QStringLiteral("dbGain"), t(gain)},
                               {QStringLiteral("qBwS"), t(i % 2 ? 1.41 : 0.7)}});
        bypass.append(flag(i == bands / 2 && seed % 2));
    }
    return {{QStringLiteral("eqArr"), arr}, {QStringLiteral("bypassArr"), bypass}};
}

QJsonObject hlpf(bool hpf)
{
    return {{QStringLiteral("isHpf"), flag(hpf)},
            {QStringLiteral("order"), QStringLiteral("2")},
            {QStringLiteral("type"), QStringLiteral("0")},
            {QStringLiteral("freq0"), hpf ? QStringLiteral("80") : QStringLiteral("16000")}};
}

QJsonObject dynamics(double trigDb)
{
    return {{QStringLiteral("trigDb"), t(trigDb)},
            {QStringLiteral("ratio"), QStringLiteral("2")},
            {QStringLiteral("attackMs"), QStringLiteral("50")},
            {QStringLiteral("releaseMs"), QStringLiteral("100")},
            {QStringLiteral("kneeDb"), QStringLiteral("0")}};
}

QJsonObject fir(int firType)
{
    // Low-pass names its cutoff in freq0, high-pass its lower edge; both leave freq1 at the top of the band.
    const char* f0[] = {"5000", "200", "300"};
    const char* f1[] = {"20001", "20001", "3400"};
    return {
        {QStringLiteral("firType"), QString::number(firType)}, {QStringLiteral("winType"), QStringLiteral("0")},
        {QStringLiteral("attDb"), QStringLiteral("21")},       {QStringLiteral("taps"), QStringLiteral("127")},
        {QStringLiteral("maxTaps"), QStringLiteral("512")},    {QStringLiteral("freq0"), QLatin1String(f0[firType])},
        {QStringLiteral("freq1"), QLatin1String(f1[firType])}, {QStringLiteral("arr"), QJsonArray()}};
}

QJsonObject params(int type, int channel, int inputs, int outputs)
{
    switch (type) {
    case Eq:
        return eq(channel % 2 ? 10 : 5, channel);
    case Delay:
        return {{QStringLiteral("delayNum"), QString::number(48 * (channel % 10 + 1))},
                {QStringLiteral("maxNum"), QStringLiteral("4800")}};
    case Compress:
        return dynamics(-20);
    case Fbe:
        return {{QStringLiteral("freqShift"), QStringLiteral("1")}};
    case Limit:
        return {{QStringLiteral("limitDb"), QStringLiteral("-6")}};
    case NoiseGate:
        return {{QStringLiteral("trigDb"), QStringLiteral("-70")},
                {QStringLiteral("openMs"), QStringLiteral("10")},
                {QStringLiteral("closeMs"), QStringLiteral("100")}};
    case Expand:
        return dynamics(-40);
    case SignalGen:
        return {{QStringLiteral("mode"), QStringLiteral("0")},
                {QStringLiteral("gainDb"), QStringLiteral("-20")},
                {QStringLiteral("freq"), QStringLiteral("1000")}};
    case ChAec: {
        // The far-end reference is the first output when there is one (an index past the inputs).
        const int farCh = outputs > 0 ? inputs : 0;
        return {{QStringLiteral("hasAec"), QStringLiteral("1")},   {QStringLiteral("aecLevel"), QStringLiteral("1")},
                {QStringLiteral("hasAgc"), QStringLiteral("0")},   {QStringLiteral("hasAns"), QStringLiteral("1")},
                {QStringLiteral("ansLevel"), QStringLiteral("1")}, {QStringLiteral("banMask"), QStringLiteral("0x0")},
                {QStringLiteral("farCh"), QString::number(farCh)}, {QStringLiteral("farFromOut"), flag(outputs > 0)}};
    }
    case Ducker:
        return {
            {QStringLiteral("trigDb"), QStringLiteral("-60")},  {QStringLiteral("duckDb"), QStringLiteral("-40")},
            {QStringLiteral("attackMs"), QStringLiteral("1")},  {QStringLiteral("releaseMs"), QStringLiteral("1000")},
            {QStringLiteral("holdMs"), QStringLiteral("2000")}, {QStringLiteral("refCh"), QStringLiteral("0")}};
    }
    return {};
}

QJsonObject blockJson(int type, QJsonObject obj, int core, bool bypass = false)
{
    return {{QStringLiteral("bypass"), flag(bypass)},
            {QStringLiteral("core"), QString::number(core)},
            {QStringLiteral("groupId"), QStringLiteral("-1")},
            {QStringLiteral("obj"), obj},
            {QStringLiteral("type"), QString::number(type)}};
}

/// Input chains repeat these patterns channel after channel; together they hold every kind of block (the
/// high-pass/low-pass filter with both settings, and FIR types 0 to 2).
QVector<QVector<int>> inputPatterns()
{
    return {{Hlpf, Eq, Compress, NoiseGate}, {Hlpf, Eq, Delay, Limit}, {Fir, Expand, Fbe},
            {Fir, Ducker, SignalGen},        {Fir, ChAec, Compress},   {}};
}

QJsonObject comm(const QString& groupId = QStringLiteral("-1"))
{
    return {{QStringLiteral("mute"), QStringLiteral("0")},
            {QStringLiteral("inverse"), QStringLiteral("0")},
            {QStringLiteral("gainDb"), QStringLiteral("0")},
            {QStringLiteral("groupId"), groupId}};
}

QJsonObject channelNode(const QJsonArray& commArr, const QJsonArray& portArr)
{
    return {{QStringLiteral("type"), QStringLiteral("0")},
            {QStringLiteral("portNum"), QString::number(commArr.size())},
            {QStringLiteral("commArr"), commArr},
            {QStringLiteral("obj"), QJsonObject{{QStringLiteral("portArr"), portArr}}}};
}

QJsonObject inputNode(int inputs, int outputs)
{
    const QVector<QVector<int>> patterns = inputPatterns();
    QJsonArray commArr;
    QJsonArray portArr;
    bool aecPlaced = false;
    int firSeen = 0;
    int hlpfSeen = 0;
    for (int ch = 0; ch < inputs; ++ch) {
        // The first four inputs form two linked pairs (groups 0 and 1).
        commArr.append(comm(ch < 4 ? QString::number(ch / 2) : QStringLiteral("-1")));
        QJsonArray chain;
        // With fewer channels than patterns, the spare patterns go to the channels there are.
        QVector<int> mine;
        for (int p = 0; p < patterns.size(); ++p)
            if (inputs >= patterns.size() ? p == ch % patterns.size() : p % inputs == ch)
                mine.append(p);
        for (int p : mine) {
            for (int type : patterns[p]) {
                QJsonObject obj = params(type, ch, inputs, outputs);
                if (type == Hlpf)
                    obj = hlpf(hlpfSeen++ % 2 == 0);
                if (type == Fir)
                    obj = fir(firSeen++ % 3);
                // One echo canceller per device: later copies of the pattern compress instead.
                if (type == ChAec && aecPlaced) {
                    type = Compress;
                    obj = params(Compress, ch, inputs, outputs);
                }
                aecPlaced = aecPlaced || type == ChAec;
                chain.append(blockJson(type, obj, ch % 2, type == SignalGen));
            }
        }
        portArr.append(
            QJsonObject{{QStringLiteral("core"), QString::number(ch % 2)}, {QStringLiteral("procArr"), chain}});
    }
    return channelNode(commArr, portArr);
}

QJsonObject outputNode(int outputs)
{
    QJsonArray commArr;
    QJsonArray portArr;
    for (int ch = 0; ch < outputs; ++ch) {
        commArr.append(comm());
        QJsonArray chain;
        if (ch == 0) {
            chain.append(blockJson(Eq, eq(5, 1), 0));
            chain.append(blockJson(Limit, params(Limit, ch, 0, outputs), 0));
        } else if (ch == 1) {
            chain.append(blockJson(Delay, params(Delay, ch, 0, outputs), 1));
        } else if (ch % 4 == 0) {
            chain.append(blockJson(Limit, params(Limit, ch, 0, outputs), ch % 2));
        }
        portArr.append(
            QJsonObject{{QStringLiteral("core"), QString::number(ch % 2)}, {QStringLiteral("procArr"), chain}});
    }
    return channelNode(commArr, portArr);
}

QJsonObject mixNode(int type, QJsonObject obj)
{
    return {{QStringLiteral("type"), QString::number(type)},
            {QStringLiteral("portNum"), QStringLiteral("1")},
            {QStringLiteral("commArr"), QJsonArray{QJsonObject{{QStringLiteral("gainDb"), QStringLiteral("0")},
                                                               {QStringLiteral("mute"), QStringLiteral("0")},
                                                               {QStringLiteral("inverse"), QStringLiteral("0")},
                                                               {QStringLiteral("groupId"), QStringLiteral("-1")}}}},
            {QStringLiteral("obj"), obj}};
}

/// Automixer k mixes inputs 4k..4k+3, one mask entry per member: priority in bits 0-3 (the first member 5, the
/// others 0), a signed 12-bit gain in bits 4-15 (0), the member's input from bit 21 on; the first member is
/// always on (bit 20).
QJsonObject automixerNode(int k, int inputs)
{
    QJsonArray masks;
    for (int ch = 4 * k; ch < 4 * k + 4 && ch < inputs; ++ch) {
        const bool first = ch == 4 * k;
        quint64 mask = (quint64(ch) << 21) | (first ? (quint64(1) << 20) | 5u : 0u);
        masks.append(QString::number(mask));
    }
    return mixNode(3, {{QStringLiteral("mode"), QStringLiteral("0")},
                       {QStringLiteral("slope"), QStringLiteral("0.9")},
                       {QStringLiteral("duckDb"), QStringLiteral("-30")},
                       {QStringLiteral("duckAttackMs"), QStringLiteral("1")},
                       {QStringLiteral("duckReleaseMs"), QStringLiteral("1000")},
                       {QStringLiteral("decayDb"), QStringLiteral("-70")},
                       {QStringLiteral("trigDb"), QStringLiteral("-50")},
                       {QStringLiteral("holdMs"), QStringLiteral("2000")},
                       {QStringLiteral("attackMs"), QStringLiteral("1")},
                       {QStringLiteral("releaseMs"), QStringLiteral("1000")},
                       {QStringLiteral("chNumLimit"), QStringLiteral("2")},
                       {QStringLiteral("nomAttenuate"), QStringLiteral("1")},
                       {QStringLiteral("leaveLastOn"), QStringLiteral("1")},
                       {QStringLiteral("maskArr"), masks}});
}

/// The echo canceller takes the first input as its near end and the last input as its far reference.
QJsonObject aecNode(int inputs)
{
    QJsonArray nearArr;
    QJsonArray farArr;
    for (int ch = 0; ch < inputs; ++ch) {
        nearArr.append(flag(ch == 0));
        farArr.append(flag(ch == inputs - 1 && ch != 0));
    }
    return mixNode(2, {{QStringLiteral("hasAec"), QStringLiteral("1")},
                       {QStringLiteral("aecLevel"), QStringLiteral("2")},
                       {QStringLiteral("hasAgc"), QStringLiteral("1")},
                       {QStringLiteral("hasAns"), QStringLiteral("1")},
                       {QStringLiteral("ansLevel"), QStringLiteral("1")},
                       {QStringLiteral("nearArr"), nearArr},
                       {QStringLiteral("farArr"), farArr}});
}

/// Input i reaches output i; the AEC row reaches output 0 at -6 dB and the automixers output 1 at +3 dB.
QJsonObject matrixNode(int inputs, int outputs)
{
    const int rows = inputs + SimDspConfig::kAecs + SimDspConfig::kAutomixers;
    QJsonArray portArr;
    for (int col = 0; col < outputs; ++col) {
        QJsonArray muteArr;
        QJsonArray gainArr;
        for (int row = 0; row < rows; ++row) {
            double db = 0;
            bool on = row == col && row < inputs;
            if (row == inputs && col == 0) {
                on = true;
                db = -6;
            } else if (row > inputs && col == 1) {
                on = true;
                db = 3;
            } else if (on) {
                db = double(col % 3) * -1.5;
            }
            muteArr.append(flag(!on));
            gainArr.append(QString::number(SimDspConfig::gainCode(db)));
        }
        portArr.append(QJsonObject{{QStringLiteral("mode"), flag(col == 0)},
                                   {QStringLiteral("muteArr"), muteArr},
                                   {QStringLiteral("gainArr"), gainArr}});
    }
    return {{QStringLiteral("type"), QStringLiteral("1")},
            {QStringLiteral("portNum"), QString::number(outputs)},
            {QStringLiteral("commArr"), QJsonArray()},
            {QStringLiteral("obj"), QJsonObject{{QStringLiteral("portArr"), portArr}}}};
}

QJsonArray groups()
{
    const char* named[] = {"Vocals", "Instruments", "Ambience"};
    QJsonArray arr;
    for (int g = 0; g < SimDspConfig::kGroups; ++g)
        arr.append(QJsonObject{{QStringLiteral("gainDb"), g == 2 ? QStringLiteral("-3") : QStringLiteral("0")},
                               {QStringLiteral("mute"), QStringLiteral("0")},
                               {QStringLiteral("name"), g < 3 ? QLatin1String(named[g]) : QLatin1String("")}});
    return arr;
}

/// Parent-by-parent rewrite of one nested member: QJsonObject has no references into its children.
template <typename Edit> bool editNodeArr(QJsonObject& config, Edit edit)
{
    QJsonArray nodes = config.value(QLatin1String("nodeArr")).toArray();
    if (!edit(nodes))
        return false;
    config.insert(QStringLiteral("nodeArr"), nodes);
    return true;
}

bool isChannelNode(const QJsonValue& node)
{
    return node.isObject() && node.toObject().value(QLatin1String("type")).toString() == QLatin1String("0");
}

} // namespace

int SimDspConfig::inputCount(const SimDeviceConfig& config)
{
    return config.phyChNumRx + config.chNumRx;
}

int SimDspConfig::outputCount(const SimDeviceConfig& config)
{
    return config.phyChNumTx + config.chNumTx;
}

int SimDspConfig::gainCode(double db)
{
    const long q = std::lround(db * 4);
    if (q >= 1 && q <= 48)
        return int(q);
    if (q >= -192 && q <= -1)
        return int(48 - q);
    return 0;
}

QJsonObject SimDspConfig::generate(const SimDeviceConfig& config)
{
    const int inputs = inputCount(config);
    const int outputs = outputCount(config);
    QJsonArray nodes{inputNode(inputs, outputs)};
    // The matrix takes its rows from the nodes before it, so the mixers come first.
    for (int k = 0; k < kAutomixers; ++k)
        nodes.append(automixerNode(k, inputs));
    nodes.append(aecNode(inputs));
    nodes.append(matrixNode(inputs, outputs));
    nodes.append(outputNode(outputs));
    return {{QStringLiteral("version"), QStringLiteral("4")},
            {QStringLiteral("sampleRate"), QString::number(config.sampleRate)},
            {QStringLiteral("customStr"), config.customStr},
            {QStringLiteral("groupArr"), groups()},
            {QStringLiteral("nodeArr"), nodes}};
}

const QJsonObject& SimDspConfig::current(SimDevice& device)
{
    SimDeviceState::Dsp& dsp = device.state().dsp;
    // A factory configuration takes over once the device has rebooted since it arrived.
    const SimDeviceState& st = device.state();
    if (!dsp.factoryConfig.isEmpty() && st.rebootCount > dsp.factoryStoredAt && st.rebootUntilMs < 0) {
        dsp.config = dsp.factoryConfig;
        // It is the system default program from now on.
        dsp.factory = dsp.factoryConfig;
        dsp.lastLoaded = QStringLiteral("default");
        dsp.factoryConfig = QJsonObject();
    }
    QJsonObject& stored = dsp.config;
    if (stored.isEmpty())
        stored = generate(device.config());
    return stored;
}

void SimDspConfig::store(SimDevice& device, const QJsonObject& config)
{
    device.state().dsp.config = config;
}

QString SimDspConfig::check(const SimDeviceConfig& device, const QJsonObject& config)
{
    const QJsonValue nodes = config.value(QLatin1String("nodeArr"));
    if (!nodes.isArray() || nodes.toArray().size() < 3)
        return QStringLiteral("invalid config");
    for (const QJsonValue& n : nodes.toArray())
        if (!n.isObject())
            return QStringLiteral("invalid config");
    const QJsonArray arr = nodes.toArray();
    if (!isChannelNode(arr.first()) || !isChannelNode(arr.last()))
        return QStringLiteral("invalid config");
    // A configuration for other channel counts would be served back and refused by every controller.
    for (bool input : {true, false}) {
        const QJsonObject node = (input ? arr.first() : arr.last()).toObject();
        const int want = input ? inputCount(device) : outputCount(device);
        if (node.value(QLatin1String("commArr")).toArray().size() != want ||
            node.value(QLatin1String("obj")).toObject().value(QLatin1String("portArr")).toArray().size() != want)
            return QStringLiteral("channel count mismatch");
    }
    return {};
}

int SimDspConfig::channelNode(const QJsonObject& config, bool input)
{
    const QJsonArray nodes = config.value(QLatin1String("nodeArr")).toArray();
    if (input)
        return !nodes.isEmpty() && isChannelNode(nodes.first()) ? 0 : -1;
    for (int i = nodes.size() - 1; i > 0; --i)
        if (isChannelNode(nodes[i]))
            return i;
    return -1;
}

int SimDspConfig::channelCount(const QJsonObject& config, bool input)
{
    const int node = channelNode(config, input);
    if (node < 0)
        return 0;
    return config.value(QLatin1String("nodeArr"))
        .toArray()[node]
        .toObject()
        .value(QLatin1String("commArr"))
        .toArray()
        .size();
}

std::optional<QJsonObject> SimDspConfig::block(const QJsonObject& config, int nodeId, int portIndex, int procIndex)
{
    const QJsonArray nodes = config.value(QLatin1String("nodeArr")).toArray();
    if (nodeId < 0 || nodeId >= nodes.size() || !isChannelNode(nodes[nodeId]))
        return std::nullopt;
    const QJsonArray ports =
        nodes[nodeId].toObject().value(QLatin1String("obj")).toObject().value(QLatin1String("portArr")).toArray();
    if (portIndex < 0 || portIndex >= ports.size())
        return std::nullopt;
    const QJsonArray chain = ports[portIndex].toObject().value(QLatin1String("procArr")).toArray();
    if (procIndex < 0 || procIndex >= chain.size() || !chain[procIndex].isObject())
        return std::nullopt;
    return chain[procIndex].toObject();
}

bool SimDspConfig::editBlock(QJsonObject& config, int nodeId, int portIndex, int procIndex,
                             const std::function<void(QJsonObject&)>& edit)
{
    if (!block(config, nodeId, portIndex, procIndex))
        return false;
    return editNodeArr(config, [&](QJsonArray& nodes) {
        QJsonObject node = nodes[nodeId].toObject();
        QJsonObject obj = node.value(QLatin1String("obj")).toObject();
        QJsonArray ports = obj.value(QLatin1String("portArr")).toArray();
        QJsonObject port = ports[portIndex].toObject();
        QJsonArray chain = port.value(QLatin1String("procArr")).toArray();
        QJsonObject b = chain[procIndex].toObject();
        edit(b);
        chain[procIndex] = b;
        port.insert(QStringLiteral("procArr"), chain);
        ports[portIndex] = port;
        obj.insert(QStringLiteral("portArr"), ports);
        node.insert(QStringLiteral("obj"), obj);
        nodes[nodeId] = node;
        return true;
    });
}

bool SimDspConfig::editChannel(QJsonObject& config, bool input, int index,
                               const std::function<void(QJsonObject&)>& edit)
{
    const int nodeId = channelNode(config, input);
    if (nodeId < 0 || index < 0 || index >= channelCount(config, input))
        return false;
    return editNodeArr(config, [&](QJsonArray& nodes) {
        QJsonObject node = nodes[nodeId].toObject();
        QJsonArray commArr = node.value(QLatin1String("commArr")).toArray();
        QJsonObject c = commArr[index].toObject();
        edit(c);
        commArr[index] = c;
        node.insert(QStringLiteral("commArr"), commArr);
        nodes[nodeId] = node;
        return true;
    });
}

QJsonObject SimDspConfig::summary(const QJsonObject& config)
{
    const QJsonArray nodes = config.value(QLatin1String("nodeArr")).toArray();
    int blocks = 0;
    auto chains = [&](bool input) {
        QJsonArray out;
        const int nodeId = channelNode(config, input);
        if (nodeId < 0)
            return out;
        const QJsonArray ports =
            nodes[nodeId].toObject().value(QLatin1String("obj")).toObject().value(QLatin1String("portArr")).toArray();
        for (const QJsonValue& port : ports) {
            QJsonArray types;
            for (const QJsonValue& b : port.toObject().value(QLatin1String("procArr")).toArray())
                types.append(b.toObject().value(QLatin1String("type")).toString().toInt());
            blocks += types.size();
            out.append(types);
        }
        return out;
    };
    const QJsonArray in = chains(true);
    const QJsonArray out = chains(false);
    QJsonArray named;
    for (const QJsonValue& g : config.value(QLatin1String("groupArr")).toArray())
        if (!g.toObject().value(QLatin1String("name")).toString().isEmpty())
            named.append(g.toObject().value(QLatin1String("name")));
    const QByteArray text = QJsonDocument(config).toJson(QJsonDocument::Compact);
    return {{QStringLiteral("nodes"), nodes.size()},
            {QStringLiteral("blocks"), blocks},
            {QStringLiteral("inChains"), in},
            {QStringLiteral("outChains"), out},
            {QStringLiteral("groups"), named},
            {QStringLiteral("sha1"),
             QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha1).toHex())}};
}
