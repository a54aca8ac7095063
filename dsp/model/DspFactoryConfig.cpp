#include "DspFactoryConfig.h"

#include "CDeviceDspData.h"
#include "CEqBlockItem.h"
#include "CHlpfItem.h"
#include "DspBlockFactory.h"
#include "DspCommandParser.h"
#include "DspDefaultConfig.h"
#include "DspEditRules.h"
#include "DspJsonWriter.h"

#include <cmath>
#include <limits>

namespace {

// The device, not the factory layout, knows its delay memory; it refuses a layout that does not fit.
constexpr qint64 kNoDelayLimit = std::numeric_limits<qint64>::max() / 4;

CBaseItem* makeBlock(const DspBlockRequest& wanted)
{
    if (wanted.kind == CBaseItem::KindEq && wanted.bandCount > 0)
        return new CEqBlockItem(wanted.bandCount);
    CBaseItem* block = DspBlockFactory::create(wanted.kind);
    if (auto* filter = dynamic_cast<CHlpfItem*>(block))
        filter->setIsHpf(wanted.hpf);
    return block;
}

DspCommandError refusedAt(const DspBlockRequest& wanted, bool isInput, int channel, const QString& why)
{
    DspCommandError e;
    e.line = wanted.line;
    e.column = wanted.column;
    e.expectedZh =
        QStringLiteral("%1通道 %2 可加的功能块（%3）").arg(isInput ? "输入" : "输出").arg(channel + 1).arg(why);
    e.expectedEn = QStringLiteral("a block %1 channel %2 can take (%3)")
                       .arg(isInput ? "input" : "output")
                       .arg(channel + 1)
                       .arg(why);
    return e;
}

DspCommandError applyProc(CDeviceDspData& data, const DspCommand& c, int* totalBlocks)
{
    for (int ch : c.channels) {
        CChainChannel* channel = data.channel(c.isInput, ch);
        if (channel == nullptr)
            continue; // the parser checked the numbers
        for (const DspBlockRequest& wanted : c.blocks) {
            if (channel->blocks().size() >= CDeviceDspData::MaxBlocksPerChannel)
                return refusedAt(
                    wanted, c.isInput, ch,
                    QStringLiteral("at most %1 blocks a channel").arg(CDeviceDspData::MaxBlocksPerChannel));
            if (*totalBlocks >= CDeviceDspData::MaxBlocks)
                return refusedAt(wanted, c.isInput, ch,
                                 QStringLiteral("at most %1 blocks in all").arg(CDeviceDspData::MaxBlocks));
            std::unique_ptr<CBaseItem> block(makeBlock(wanted));
            if (!block)
                return refusedAt(wanted, c.isInput, ch, QStringLiteral("unknown block"));
            // Delays are the device's to judge (their memory), and summing it for each would be quadratic.
            const QString refusal = wanted.kind == CBaseItem::KindDelay
                                        ? QString()
                                        : DspEditRules::canAddBlock(data, c.isInput, ch, *block, 0, kNoDelayLimit);
            if (!refusal.isEmpty())
                return refusedAt(wanted, c.isInput, ch, refusal);
            channel->appendBlock(block.release());
            ++*totalBlocks;
        }
    }
    return {};
}

DspCommandError apply(CDeviceDspData& data, const DspCommandPlan& plan)
{
    int totalBlocks = 0;
    DspMatrix* matrix = data.matrix();
    for (const DspCommand& c : plan.commands) {
        switch (c.type) {
        case DspCommand::Comm:
            for (int ch : c.channels) {
                CChainChannel* channel = data.channel(c.isInput, ch);
                if (channel == nullptr)
                    continue;
                if (c.gainDb)
                    channel->setGainDb(*c.gainDb);
                if (c.mute)
                    channel->setMute(*c.mute);
                if (c.inverse)
                    channel->setInverse(*c.inverse);
                if (c.groupId)
                    channel->setGroupId(*c.groupId);
            }
            break;
        case DspCommand::Proc: {
            const DspCommandError e = applyProc(data, c, &totalBlocks);
            if (e.isError())
                return e;
            break;
        }
        case DspCommand::Matrix: {
            // The device keeps crosspoint gains in quarter decibels; the preview shows what it will keep.
            const double gain = std::round(c.matrixGainDb * 4) / 4;
            for (const auto& route : c.routes)
                for (int col : route.second)
                    for (int row : route.first)
                        matrix->setCell(col, row, gain, true);
            break;
        }
        case DspCommand::GainShared:
            for (int col : c.channels)
                matrix->setShare(col, c.share);
            break;
        case DspCommand::Core:
            for (int ch : c.channels)
                if (CChainChannel* channel = data.channel(c.isInput, ch))
                    channel->setCore(c.core);
            break;
        }
    }
    // A chain runs on its channel's core, so its blocks carry that core.
    for (bool isInput : {true, false}) {
        const int count = isInput ? data.inputs().size() : data.outputs().size();
        for (int ch = 0; ch < count; ++ch) {
            CChainChannel* channel = data.channel(isInput, ch);
            for (CBaseItem* block : channel->blocks())
                block->setCore(channel->core());
        }
    }
    data.updateGroupMembers();
    return {};
}

/// "1-4" for a run of consecutive channel numbers (1-based), "3" for one.
QString runs(const QVector<int>& sorted)
{
    QStringList parts;
    for (int i = 0; i < sorted.size();) {
        int j = i;
        while (j + 1 < sorted.size() && sorted.at(j + 1) == sorted.at(j) + 1)
            ++j;
        parts.append(i == j ? QString::number(sorted.at(i) + 1)
                            : QStringLiteral("%1-%2").arg(sorted.at(i) + 1).arg(sorted.at(j) + 1));
        i = j + 1;
    }
    return parts.join(QLatin1Char(','));
}

QString blockText(const CBaseItem* block)
{
    if (const auto* eq = dynamic_cast<const CEqBlockItem*>(block))
        return QStringLiteral("EQ(%1)").arg(eq->bandCount());
    if (const auto* filter = dynamic_cast<const CHlpfItem*>(block))
        return filter->isHpf() ? QStringLiteral("HPF") : QStringLiteral("LPF");
    return DspBlockFactory::kindName(block->kind());
}

QString channelText(const CChainChannel& ch, bool chinese)
{
    QStringList parts;
    parts.append(QStringLiteral("%1 dB").arg(QString::number(ch.gainDb(), 'g', 6)));
    if (ch.isMute())
        parts.append(chinese ? QStringLiteral("静音") : QStringLiteral("mute"));
    if (ch.isInverse())
        parts.append(chinese ? QStringLiteral("反相") : QStringLiteral("inverse"));
    if (ch.groupId() >= 0)
        parts.append((chinese ? QStringLiteral("编组%1") : QStringLiteral("group %1")).arg(ch.groupId() + 1));
    if (ch.core() >= 0)
        parts.append((chinese ? QStringLiteral("核%1") : QStringLiteral("core %1")).arg(ch.core()));
    QStringList chain;
    for (const CBaseItem* b : ch.blocks())
        chain.append(blockText(b));
    QString text = parts.join(QStringLiteral(", "));
    if (!chain.isEmpty())
        text += QStringLiteral(" | ") + chain.join(QStringLiteral(" > "));
    return text;
}

} // namespace

namespace DspFactoryConfig {

const QVector<int>& sampleRates()
{
    static const QVector<int> rates{8000, 16000, 32000, 44100, 48000, 88200, 96000, 176400, 192000};
    return rates;
}

QString Result::failureText(bool chinese) const
{
    if (!problem.isEmpty())
        return problem;
    return error.text(chinese);
}

Result build(const Settings& settings, bool chinese)
{
    Result result;
    if (settings.inputs < MinChannels || settings.inputs > MaxChannels || settings.outputs < MinChannels ||
        settings.outputs > MaxChannels) {
        result.problem = chinese ? QStringLiteral("通道数须在 %1 到 %2 之间").arg(MinChannels).arg(MaxChannels)
                                 : QStringLiteral("Channel counts must be %1 to %2").arg(MinChannels).arg(MaxChannels);
        return result;
    }
    if (!sampleRates().contains(settings.sampleRate)) {
        QStringList rates;
        for (int r : sampleRates())
            rates.append(QString::number(r));
        result.problem =
            (chinese ? QStringLiteral("采样率须为 %1") : QStringLiteral("The sample rate must be one of %1"))
                .arg(rates.join(QStringLiteral(", ")));
        return result;
    }
    const DspCommandParser::Result parsed =
        DspCommandParser::parse(settings.commands, settings.inputs, settings.outputs);
    if (!parsed.ok()) {
        result.error = parsed.error;
        return result;
    }
    auto data = std::make_shared<CDeviceDspData>();
    data->parse(DspDefaultConfig::reply(settings.inputs, settings.outputs, settings.sampleRate), QString(), true);
    if (data->inputs().size() != settings.inputs || data->outputs().size() != settings.outputs ||
        data->matrix() == nullptr) {
        result.problem = QStringLiteral("default layout not built"); // cannot happen within the bounds above
        return result;
    }
    result.error = apply(*data, parsed.plan);
    if (!result.error.isError())
        result.data = data;
    return result;
}

QByteArray configText(const CDeviceDspData& data)
{
    return data.writeConfigText(QString(), true);
}

QJsonObject config(const CDeviceDspData& data)
{
    return data.writeConfig(QString(), true);
}

QByteArray requestText(const CDeviceDspData& data)
{
    DspJsonWriter w;
    w.addRaw(QLatin1String("config"), configText(data));
    w.add(QLatin1String("ops"), QStringLiteral("setFactoryConfig"));
    w.addInt(QLatin1String("sampleRate"), data.sampleRate());
    w.add(QLatin1String("uiTag"), QStringLiteral("dspUiTag"));
    return w.finish();
}

QByteArray exportText(const CDeviceDspData& data)
{
    DspJsonWriter w;
    w.addRaw(QLatin1String("config"), configText(data));
    w.add(QLatin1String("name"), QStringLiteral("userGenerate"));
    return w.finish();
}

QStringList inputPreview(const CDeviceDspData& data, bool chinese)
{
    QStringList lines;
    for (int i = 0; i < data.inputs().size(); ++i)
        lines.append(QStringLiteral("%1 %2: %3")
                         .arg(chinese ? QStringLiteral("输入") : QStringLiteral("in"))
                         .arg(i + 1)
                         .arg(channelText(*data.inputs().at(i), chinese)));
    return lines;
}

QStringList outputPreview(const CDeviceDspData& data, bool chinese)
{
    QStringList lines;
    const DspMatrix* matrix = data.matrix();
    for (int c = 0; c < data.outputs().size(); ++c) {
        // Inputs that reach this output, grouped by gain so a long row stays one short line.
        QMap<double, QVector<int>> byGain;
        for (int r = 0; matrix != nullptr && r < matrix->rows(); ++r)
            if (matrix->isOn(c, r))
                byGain[matrix->gainDb(c, r)].append(r);
        QStringList sources;
        for (auto it = byGain.cbegin(); it != byGain.cend(); ++it)
            sources.append(QStringLiteral("%1 %2 (%3 dB)")
                               .arg(chinese ? QStringLiteral("输入") : QStringLiteral("in"), runs(it.value()),
                                    QString::number(it.key(), 'g', 6)));
        // What reaches the output first: a long chain must not push it out of sight.
        QString line =
            QStringLiteral("%1 %2 <- ").arg(chinese ? QStringLiteral("输出") : QStringLiteral("out")).arg(c + 1);
        line += sources.isEmpty() ? (chinese ? QStringLiteral("无") : QStringLiteral("none"))
                                  : sources.join(QStringLiteral("; "));
        if (matrix != nullptr && matrix->isShare(c))
            line += chinese ? QStringLiteral(" [增益共享]") : QStringLiteral(" [gain shared]");
        line += QStringLiteral(" | ") + channelText(*data.outputs().at(c), chinese);
        lines.append(line);
    }
    return lines;
}

} // namespace DspFactoryConfig
