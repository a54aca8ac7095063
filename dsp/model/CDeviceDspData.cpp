#include "CDeviceDspData.h"

#include "CBaseItem.h"
#include "DspBlockFactory.h"
#include "DspJsonText.h"
#include "DspJsonTree.h"
#include "DspJsonWriter.h"
#include "MatrixGainCode.h"

#include <QDebug>
#include <QStringList>

using namespace DspJsonText;

namespace {

const QLatin1String kGainDb("gainDb");
const QLatin1String kMute("mute");
const QLatin1String kInverse("inverse");
const QLatin1String kGroupId("groupId");
const QLatin1String kType("type");
const QLatin1String kPortNum("portNum");
const QLatin1String kCommArr("commArr");
const QLatin1String kObj("obj");
const QLatin1String kPortArr("portArr");

void readCommon(const DspJsonValue& comm, CBaseChannel* ch)
{
    bool b = false;
    if (comm.readBool(kMute, &b))
        ch->setMute(b);
    if (comm.readBool(kInverse, &b))
        ch->setInverse(b);
    double db = 0;
    if (comm.readDouble(kGainDb, &db))
        ch->setGainDb(db);
    int id = -1;
    if (comm.readInt(kGroupId, &id))
        ch->setGroupId(id);
}

QByteArray commonJson(const CBaseChannel& ch)
{
    DspJsonWriter comm;
    comm.addNumber(kGainDb, ch.gainDb());
    comm.addInt(kGroupId, ch.groupId());
    comm.addFlag(kInverse, ch.isInverse());
    comm.addFlag(kMute, ch.isMute());
    return comm.finish();
}

// One channel per "commArr" entry; a missing "portArr" entry gives a channel without blocks. `blockBudget` is what
// is left of the configuration's block bound; each channel also has its own.
template <class Channel>
void readChannels(const DspJsonValue& node, const QString& namePrefix, QList<Channel*>* out, int* blockBudget)
{
    const DspJsonValue comms = node[kCommArr];
    DspJsonValue comm = comms.first();
    DspJsonValue port = node[kObj][kPortArr].first();
    const int n = qMin(comms.size(), int(CDeviceDspData::MaxChannels));
    if (comms.size() > n)
        qWarning().noquote() << "dsp config:" << comms.size() << "channels, only" << n << "read";
    for (int j = 0; j < n; ++j, comm = comm.next(), port = port.next()) {
        auto* ch = new Channel;
        ch->setName(namePrefix + QString::number(j + 1));
        readCommon(comm, ch);
        int core = -1;
        if (port.readInt(QLatin1String("core"), &core))
            ch->setCore(core);
        const DspJsonValue procs = port[QLatin1String("procArr")];
        const int take = qMin(qMin(procs.size(), int(CDeviceDspData::MaxBlocksPerChannel)), *blockBudget);
        if (procs.size() > take)
            qWarning().noquote() << "dsp config:" << namePrefix + QString::number(j + 1) << "has" << procs.size()
                                 << "blocks, only" << take << "read";
        DspJsonValue b = procs.first();
        for (int k = 0; k < take; ++k, b = b.next())
            ch->appendBlock(DspBlockFactory::fromJson(b));
        *blockBudget -= take;
        out->append(ch);
    }
}

template <class Channel> QByteArray channelNode(const QList<Channel*>& channels, int portNum, int inputCount)
{
    DspJsonWriter comms(DspJsonWriter::ArrayKind);
    DspJsonWriter ports(DspJsonWriter::ArrayKind);
    for (const Channel* ch : channels) {
        comms.appendRaw(commonJson(*ch));
        DspJsonWriter procs(DspJsonWriter::ArrayKind);
        for (const CBaseItem* b : ch->blocks())
            procs.appendRaw(b->toJsonText(inputCount));
        DspJsonWriter port;
        port.addInt(QLatin1String("core"), ch->core());
        port.addRaw(QLatin1String("procArr"), procs.finish());
        ports.appendRaw(port.finish());
    }
    DspJsonWriter obj;
    obj.addRaw(kPortArr, ports.finish());
    DspJsonWriter node;
    node.add(kType, QStringLiteral("0"));
    node.addInt(kPortNum, portNum);
    node.addRaw(kCommArr, comms.finish());
    node.addRaw(kObj, obj.finish());
    return node.finish();
}

QByteArray sideNode(const QString& type, const CBaseChannel& ch, const QByteArray& obj)
{
    DspJsonWriter comms(DspJsonWriter::ArrayKind);
    comms.appendRaw(commonJson(ch));
    DspJsonWriter node;
    node.add(kType, type);
    node.add(kPortNum, QStringLiteral("1"));
    node.addRaw(kCommArr, comms.finish());
    node.addRaw(kObj, obj);
    return node.finish();
}

QString chainText(const CChainChannel& ch)
{
    QStringList parts;
    for (const CBaseItem* b : ch.blocks())
        parts.append(b->describe());
    return parts.join(QStringLiteral(" | "));
}

} // namespace

CDeviceDspData::~CDeviceDspData()
{
    clear();
}

void CDeviceDspData::setDeviceInfo(const QString& name, const QString& devId, int localIn, int netIn, int localOut,
                                   int netOut)
{
    m_deviceName = name;
    m_devId = devId;
    m_localIn = localIn;
    m_netIn = netIn;
    m_localOut = localOut;
    m_netOut = netOut;
    m_extraIn = qMax(0, m_info.chNumIn - localIn - netIn);
    m_extraOut = qMax(0, m_info.chNumOut - localOut - netOut);
}

CInputChannel* CDeviceDspData::input(int index) const
{
    return index >= 0 && index < m_inputs.size() ? m_inputs.at(index) : nullptr;
}

COutputChannel* CDeviceDspData::output(int index) const
{
    return index >= 0 && index < m_outputs.size() ? m_outputs.at(index) : nullptr;
}

CChainChannel* CDeviceDspData::channel(bool isInput, int index) const
{
    if (isInput)
        return input(index);
    return output(index);
}

void CDeviceDspData::setMatrix(DspMatrix* matrix)
{
    if (matrix == m_matrix)
        return;
    delete m_matrix;
    m_matrix = matrix;
}

int CDeviceDspData::dspInputCount() const
{
    return m_info.chNumIn > 0 ? qMin(m_info.chNumIn, int(MaxChannels)) : m_inputs.size();
}

int CDeviceDspData::dspOutputCount() const
{
    return m_info.chNumOut > 0 ? qMin(m_info.chNumOut, int(MaxChannels)) : m_outputs.size();
}

int CDeviceDspData::matrixRows() const
{
    return dspInputCount() + m_aecs.size() + m_automixers.size();
}

int CDeviceDspData::matrixColumns() const
{
    return dspOutputCount();
}

void CDeviceDspData::fitMatrix()
{
    const int rows = matrixRows();
    const int cols = matrixColumns();
    if (m_matrix && m_matrix->rows() == rows && m_matrix->columns() == cols)
        return;
    auto* fitted = new DspMatrix(rows, cols);
    if (m_matrix) {
        for (int c = 0; c < cols; ++c) {
            fitted->setShare(c, m_matrix->isShare(c));
            for (int r = 0; r < rows; ++r)
                fitted->setCell(c, r, m_matrix->gainDb(c, r), m_matrix->isOn(c, r));
        }
    }
    setMatrix(fitted);
}

void CDeviceDspData::updateGroupMembers()
{
    if (m_groupMembers.size() < m_groups.size())
        m_groupMembers.resize(m_groups.size());
    for (QVector<int>& members : m_groupMembers)
        members.clear();
    // Only groups that exist get members: a channel may name a group the configuration does not list.
    const int listed = qMin(int(MemberGroupCount), m_groupMembers.size());
    for (int j = 0; j < m_inputs.size(); ++j) {
        const int id = m_inputs.at(j)->groupId();
        if (id >= 0 && id < listed)
            m_groupMembers[id].append(j);
    }
}

bool CDeviceDspData::carriesMatrixGains(const QString& firmwareVersion, bool file)
{
    return file || firmwareAbove(firmwareVersion, QStringLiteral("3.1.0"));
}

void CDeviceDspData::parse(const QString& message, const QString& firmwareVersion, bool fromFile)
{
    DspJsonTree tree;
    tree.parse(message.toUtf8());
    const DspJsonValue root = tree.root();
    const DspJsonValue config = root[QLatin1String("config")];
    if (config.isObject())
        parseConfig(config, firmwareVersion, fromFile);
    else if (root[QLatin1String("nodeArr")].isValid())
        parseConfig(root, firmwareVersion, fromFile);
    else
        parseConfig(DspJsonValue(), firmwareVersion, fromFile);
}

void CDeviceDspData::parseConfig(const QJsonObject& config, const QString& firmwareVersion, bool fromFile)
{
    DspJsonTree tree;
    tree.parse(toText(config));
    parseConfig(tree.root(), firmwareVersion, fromFile);
}

void CDeviceDspData::parseConfig(const DspJsonValue& config, const QString& firmwareVersion, bool fromFile)
{
    clear();
    config.readInt(QLatin1String("version"), &m_version);
    config.readInt(QLatin1String("sampleRate"), &m_sampleRate);
    const DspJsonValue custom = config[QLatin1String("customStr")];
    if (custom.isString())
        m_customStr = custom.toString();

    const DspJsonValue groups = config[QLatin1String("groupArr")];
    if (groups.size() > MaxGroups)
        qWarning().noquote() << "dsp config:" << groups.size() << "groups, only" << MaxGroups << "read";
    int i = 0;
    for (DspJsonValue g = groups.first(); g.isValid() && i < MaxGroups; g = g.next(), ++i) {
        DspGroup group;
        g.readDouble(kGainDb, &group.gainDb);
        g.readBool(kMute, &group.mute);
        group.name = g[QLatin1String("name")].toString();
        if (group.name.isEmpty())
            group.name = QStringLiteral("Group") + QString::number(i + 1);
        m_groups.append(group);
        if (m_groupMembers.size() < m_groups.size())
            m_groupMembers.append(QVector<int>());
    }

    const bool withGains = carriesMatrixGains(firmwareVersion, fromFile);
    const bool legacyMasks = !firmwareAbove(firmwareVersion, QStringLiteral("3.1.2"));
    bool inputsRead = false;
    bool outputsRead = false;
    int blockBudget = MaxBlocks;
    const DspJsonValue nodes = config[QLatin1String("nodeArr")];
    for (DspJsonValue node = nodes.first(); node.isValid(); node = node.next()) {
        int type = -1;
        if (!node.readInt(kType, &type))
            continue;
        const DspJsonValue obj = node[kObj];
        const DspJsonValue comm = node[kCommArr].first();
        switch (type) {
        case 0:
            // The first channel node is the inputs, the next the outputs; a device never sends more.
            if (!inputsRead) {
                readChannels(node, QStringLiteral("input_"), &m_inputs, &blockBudget);
                inputsRead = true;
            } else if (!outputsRead) {
                readChannels(node, QStringLiteral("output_"), &m_outputs, &blockBudget);
                outputsRead = true;
            }
            break;
        case 1: {
            const DspJsonValue ports = obj[kPortArr];
            // Dimensions as they stand now: side channels listed after the matrix node get no rows.
            auto* matrix = new DspMatrix(matrixRows(), m_info.chNumOut > 0 ? dspOutputCount() : ports.size());
            setMatrix(matrix);
            const int cols = qMin(ports.size(), matrix->columns());
            DspJsonValue port = ports.first();
            for (int j = 0; j < cols; ++j, port = port.next()) {
                matrix->setShare(j, port[QLatin1String("mode")].textEquals(QLatin1String("1")));
                const DspJsonValue mutes = port[QLatin1String("muteArr")];
                if (mutes.size() != matrix->rows()) {
                    fitAecLists();
                    return; // a matrix of another shape: the rest of the message cannot be trusted
                }
                int r = 0;
                for (DspJsonValue m = mutes.first(); m.isValid(); m = m.next(), ++r)
                    matrix->setOn(j, r, m.textEquals(QLatin1String("0")));
                if (withGains) {
                    const DspJsonValue gains = port[QLatin1String("gainArr")];
                    r = 0;
                    for (DspJsonValue g = gains.first(); g.isValid() && r < matrix->rows(); g = g.next(), ++r) {
                        int code = 0;
                        if (g.toInt(&code))
                            matrix->setGainDb(j, r, MatrixGainCode::decode(code));
                    }
                }
            }
            break;
        }
        case 2: {
            if (m_aecs.size() >= MaxSideNodes)
                break;
            auto* aec = new DspAecChannel(dspInputCount());
            readCommon(comm, aec);
            aec->readObj(obj);
            m_aecs.append(aec);
            break;
        }
        case 3: {
            if (m_automixers.size() >= MaxSideNodes)
                break;
            auto* mixer = new DspAutomixerChannel;
            readCommon(comm, mixer);
            mixer->readObj(obj, legacyMasks);
            m_automixers.append(mixer);
            break;
        }
        default:
            break;
        }
    }
    fitAecLists();
    updateGroupMembers();
}

void CDeviceDspData::fitAecLists()
{
    // Without DSP information the input count is known only once the input node is read, which a configuration
    // may list after its AEC nodes; the lists must still have one entry per input so that they read back alike.
    const int inputs = dspInputCount();
    for (DspAecChannel* aec : m_aecs)
        if (aec->nearArr().size() != inputs)
            aec->setInputCount(inputs);
}

QJsonObject CDeviceDspData::writeConfig(const QString& firmwareVersion, bool forFile) const
{
    return toObject(writeConfigText(firmwareVersion, forFile));
}

QByteArray CDeviceDspData::writeConfigText(const QString& firmwareVersion, bool forFile) const
{
    const int inputCount = dspInputCount();
    DspJsonWriter groups(DspJsonWriter::ArrayKind);
    for (const DspGroup& g : m_groups) {
        DspJsonWriter o;
        o.addNumber(kGainDb, g.gainDb);
        o.addFlag(kMute, g.mute);
        o.add(QLatin1String("name"), g.name);
        groups.appendRaw(o.finish());
    }

    DspJsonWriter nodes(DspJsonWriter::ArrayKind);
    nodes.appendRaw(channelNode(m_inputs, inputCount, inputCount));
    for (const DspAutomixerChannel* m : m_automixers) {
        DspJsonWriter obj;
        m->writeObj(obj);
        nodes.appendRaw(sideNode(QStringLiteral("3"), *m, obj.finish()));
    }
    for (const DspAecChannel* a : m_aecs) {
        DspJsonWriter obj;
        a->writeObj(obj);
        nodes.appendRaw(sideNode(QStringLiteral("2"), *a, obj.finish()));
    }

    // Written in the shape the configuration needs now, so that it always reads back whole.
    const bool withGains = carriesMatrixGains(firmwareVersion, forFile);
    const int rows = matrixRows();
    const int cols = matrixColumns();
    DspJsonWriter ports(DspJsonWriter::ArrayKind);
    for (int c = 0; c < cols; ++c) {
        DspJsonWriter mutes(DspJsonWriter::ArrayKind);
        DspJsonWriter gains(DspJsonWriter::ArrayKind);
        for (int r = 0; r < rows; ++r) {
            mutes.appendFlag(!(m_matrix && m_matrix->isOn(c, r)));
            if (withGains)
                gains.appendInt(MatrixGainCode::encode(m_matrix ? m_matrix->gainDb(c, r) : 0.0));
        }
        DspJsonWriter port;
        port.addFlag(QLatin1String("mode"), m_matrix && m_matrix->isShare(c));
        port.addRaw(QLatin1String("muteArr"), mutes.finish());
        if (withGains)
            port.addRaw(QLatin1String("gainArr"), gains.finish());
        ports.appendRaw(port.finish());
    }
    DspJsonWriter matrixObj;
    matrixObj.addRaw(kPortArr, ports.finish());
    DspJsonWriter matrixNode;
    matrixNode.add(kType, QStringLiteral("1"));
    matrixNode.addInt(kPortNum, cols);
    matrixNode.addRaw(kCommArr, QByteArray("[]"));
    matrixNode.addRaw(kObj, matrixObj.finish());
    nodes.appendRaw(matrixNode.finish());

    nodes.appendRaw(channelNode(m_outputs, dspOutputCount(), inputCount));

    DspJsonWriter config;
    config.addInt(QLatin1String("version"), m_version);
    config.addInt(QLatin1String("sampleRate"), m_sampleRate);
    config.add(QLatin1String("customStr"), m_customStr);
    config.addRaw(QLatin1String("groupArr"), groups.finish());
    config.addRaw(QLatin1String("nodeArr"), nodes.finish());
    return config.finish();
}

QString CDeviceDspData::debugDump() const
{
    QStringList out;
    out << QStringLiteral("********* printData start **************");
    out << QStringLiteral("dspStruct info:");
    out << QStringLiteral(
               "  dspVerNum=%1 dspVerDate=%2 inChNum=%3 outChNum=%4 devModel=%5 devMemory=%6 funcListSize=%7")
               .arg(m_info.dspVer, m_info.version)
               .arg(m_info.chNumIn)
               .arg(m_info.chNumOut)
               .arg(m_info.model, m_info.memory)
               .arg(m_info.funcList.size());
    out << QStringLiteral("device ch info:");
    out << QStringLiteral("  version=%1 sampleRate=%2 i2sChInNum=%3 netChInNum=%4 i2sChOutNum=%5 netChOutNum=%6 "
                          "aecChNum=%7 autoMixerChNum=%8")
               .arg(m_version)
               .arg(m_sampleRate)
               .arg(m_localIn)
               .arg(m_netIn)
               .arg(m_localOut)
               .arg(m_netOut)
               .arg(m_aecs.size())
               .arg(m_automixers.size());
    out << QStringLiteral("customStr info:") << QStringLiteral("  ") + m_customStr;
    out << QStringLiteral("group list info:");
    for (int i = 0; i < m_groups.size(); ++i) {
        QStringList members;
        for (int m : m_groupMembers.value(i))
            members.append(QString::number(m));
        out << QStringLiteral("  group %1: name=%2 gainDb=%3 mute=%4 members=[%5]")
                   .arg(i)
                   .arg(m_groups.at(i).name, number(m_groups.at(i).gainDb), flag(m_groups.at(i).mute),
                        members.join(QLatin1Char(',')));
    }
    out << QStringLiteral("inputChInfo:");
    for (int j = 0; j < m_inputs.size(); ++j) {
        const CInputChannel* ch = m_inputs.at(j);
        out << QStringLiteral("  %1: name=%2 mute=%3 gainDb=%4 inverse=%5 groupId=%6 core=%7 blocks: %8")
                   .arg(j)
                   .arg(ch->name(), flag(ch->isMute()), number(ch->gainDb()), flag(ch->isInverse()),
                        number(ch->groupId()), number(ch->core()), chainText(*ch));
    }
    out << QStringLiteral("outputChInfo:");
    for (int j = 0; j < m_outputs.size(); ++j) {
        const COutputChannel* ch = m_outputs.at(j);
        out << QStringLiteral("  %1: name=%2 mute=%3 gainDb=%4 inverse=%5 groupId=%6 core=%7 blocks: %8")
                   .arg(j)
                   .arg(ch->name(), flag(ch->isMute()), number(ch->gainDb()), flag(ch->isInverse()),
                        number(ch->groupId()), number(ch->core()), chainText(*ch));
    }
    out << QStringLiteral("aecCh info:");
    for (int k = 0; k < m_aecs.size(); ++k)
        out << QStringLiteral("  %1: %2").arg(k).arg(m_aecs.at(k)->describe());
    out << QStringLiteral("autoMixerCh info:");
    for (int k = 0; k < m_automixers.size(); ++k)
        out << QStringLiteral("  %1: %2").arg(k).arg(m_automixers.at(k)->describe());
    out << QStringLiteral("matrix info:");
    if (m_matrix) {
        out << QStringLiteral("  rows=%1 columns=%2").arg(m_matrix->rows()).arg(m_matrix->columns());
        out << QStringLiteral("gainShareList ch(isShare):");
        QStringList share;
        for (int c = 0; c < m_matrix->columns(); ++c)
            share.append(QStringLiteral("%1(%2)").arg(c).arg(flag(m_matrix->isShare(c))));
        out << QStringLiteral("  ") + share.join(QLatin1Char(' '));
        out << QStringLiteral("matrix ch(Gain,Mute):");
        for (int c = 0; c < m_matrix->columns(); ++c) {
            QStringList cells;
            for (int r = 0; r < m_matrix->rows(); ++r)
                cells.append(
                    QStringLiteral("(%1,%2)").arg(number(m_matrix->gainDb(c, r)), flag(!m_matrix->isOn(c, r))));
            out << QStringLiteral("  out %1: ").arg(c) + cells.join(QLatin1Char(' '));
        }
    }
    out << QStringLiteral("********* printData end  **************");
    return out.join(QLatin1Char('\n'));
}

void CDeviceDspData::printData() const
{
    const QStringList lines = debugDump().split(QLatin1Char('\n'));
    for (const QString& line : lines)
        qDebug().noquote() << line;
}

void CDeviceDspData::clear()
{
    qDeleteAll(m_inputs);
    m_inputs.clear();
    qDeleteAll(m_outputs);
    m_outputs.clear();
    qDeleteAll(m_aecs);
    m_aecs.clear();
    qDeleteAll(m_automixers);
    m_automixers.clear();
    setMatrix(nullptr);
    m_groups.clear();
    m_groupMembers.clear();
}

CDeviceDspData* CDeviceDspData::clone() const
{
    auto* copy = new CDeviceDspData;
    copy->m_info = m_info;
    copy->m_deviceName = m_deviceName;
    copy->m_devId = m_devId;
    copy->m_localIn = m_localIn;
    copy->m_netIn = m_netIn;
    copy->m_localOut = m_localOut;
    copy->m_netOut = m_netOut;
    copy->m_extraIn = m_extraIn;
    copy->m_extraOut = m_extraOut;
    copy->m_version = m_version;
    copy->m_sampleRate = m_sampleRate;
    copy->m_customStr = m_customStr;
    for (const CInputChannel* ch : m_inputs)
        copy->m_inputs.append(ch->clone());
    for (const COutputChannel* ch : m_outputs)
        copy->m_outputs.append(ch->clone());
    for (const DspAecChannel* a : m_aecs)
        copy->m_aecs.append(a->clone());
    for (const DspAutomixerChannel* m : m_automixers)
        copy->m_automixers.append(m->clone());
    if (m_matrix)
        copy->m_matrix = new DspMatrix(*m_matrix);
    copy->m_groups = m_groups;
    copy->m_groupMembers = m_groupMembers;
    return copy;
}
