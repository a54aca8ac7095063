#include "CtlDspResponse.h"

#include "CBaseItem.h"
#include "CChainChannel.h"
#include "CDeviceDspData.h"
#include "CtlExit.h"
#include "CtlOutput.h"
#include "DspJsonTree.h"
#include "EqResponse.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

double rounded(double v, double scale)
{
    return std::round(v * scale) / scale;
}

QString sideName(bool input)
{
    return input ? QStringLiteral("input") : QStringLiteral("output");
}

} // namespace

QString CtlDspResponse::requestOf(const CtlOptions& options, Request* request)
{
    const bool fromFile = !options.configFile.isEmpty();
    const int first = fromFile ? 0 : 1;
    if (options.args.size() != first + 2)
        return fromFile ? QStringLiteral("dsp response --config FILE takes in|out CH, no DEVICE")
                        : QStringLiteral("dsp response needs DEVICE in|out CH, or --config FILE in|out CH");
    const QString side = options.args.at(first);
    if (side != QLatin1String("in") && side != QLatin1String("out"))
        return QStringLiteral("dsp response needs in or out before the channel, not \"%1\"").arg(side);
    bool ok = false;
    const int channel = options.args.at(first + 1).toInt(&ok);
    if (!ok || channel < 1)
        return QStringLiteral("the channel is a number from 1, not \"%1\"").arg(options.args.at(first + 1));
    if (options.eqIndex < -1)
        return QStringLiteral("--eq needs a chain index from 0");
    request->input = side == QLatin1String("in");
    request->channel = channel;
    request->eqIndex = options.eqIndex;
    request->phase = options.phase;
    request->fromFile = fromFile;
    return QString();
}

int CtlDspResponse::print(const QByteArray& config, const Request& request, bool json)
{
    const Curve curve = compute(config, request);
    if (!curve.ok()) {
        CtlOutput::fail(curve.error);
        return curve.exitCode;
    }
    CtlOutput::write(json ? CtlDspResponse::json(curve, request.phase) : text(curve));
    return CtlExit::kOk;
}

int CtlDspResponse::runOnFile(const CtlOptions& options)
{
    if (options.configFile.isEmpty())
        return -1;
    Request request;
    QString error = requestOf(options, &request);
    QByteArray text;
    if (error.isEmpty() && !readFile(options.configFile, &text, &error))
        error = error.isEmpty() ? QStringLiteral("cannot read %1").arg(options.configFile) : error;
    if (!error.isEmpty()) {
        CtlOutput::fail(error);
        return CtlExit::kUsage;
    }
    return print(text, request, options.json);
}

bool CtlDspResponse::readFile(const QString& path, QByteArray* text, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    // Read one byte past the limit rather than trusting the size: a pipe or special file has none.
    *text = file.read(kMaxFileBytes + 1);
    if (text->size() > kMaxFileBytes) {
        *error = QStringLiteral("%1 is larger than %2 MiB").arg(path).arg(kMaxFileBytes / (1024 * 1024));
        return false;
    }
    return true;
}

CtlDspResponse::Curve CtlDspResponse::compute(const QByteArray& text, const Request& request)
{
    Curve curve;
    DspJsonTree tree;
    if (!tree.parse(text)) {
        curve.error = QStringLiteral("the configuration is not JSON (stopped at byte %1)").arg(tree.errorOffset());
        curve.exitCode = CtlExit::kUsage;
        return curve;
    }
    DspJsonValue config = tree.root()[QLatin1String("config")];
    if (!config.isObject())
        config = tree.root();
    if (!config.isObject() || !config[QLatin1String("nodeArr")].isArray()) {
        curve.error = QStringLiteral("the JSON holds no processor configuration (no \"nodeArr\")");
        curve.exitCode = CtlExit::kUsage;
        return curve;
    }
    CDeviceDspData data;
    data.parseConfig(config, request.firmware, request.fromFile);
    const int count = request.input ? data.inputs().size() : data.outputs().size();
    const CChainChannel* channel = data.channel(request.input, request.channel - 1);
    if (!channel) {
        curve.error = QStringLiteral("no %1 channel %2: the configuration has %3 (counted from 1)")
                          .arg(sideName(request.input))
                          .arg(request.channel)
                          .arg(count);
        curve.exitCode = CtlExit::kUnknown;
        return curve;
    }
    int eqIndex = request.eqIndex;
    const QList<CBaseItem*>& blocks = channel->blocks();
    if (eqIndex < 0) {
        for (int i = 0; i < blocks.size() && eqIndex < 0; ++i)
            if (blocks.at(i)->kind() == CBaseItem::KindEq)
                eqIndex = i;
    } else if (eqIndex >= blocks.size() || blocks.at(eqIndex)->kind() != CBaseItem::KindEq) {
        curve.error = QStringLiteral("block %1 of %2 channel %3 is not an equaliser (the chain has %4 blocks)")
                          .arg(eqIndex)
                          .arg(sideName(request.input))
                          .arg(request.channel)
                          .arg(blocks.size());
        curve.exitCode = CtlExit::kUnknown;
        return curve;
    }
    const QVector<QPointF> points =
        request.phase ? EqResponse::phaseCurve(*channel, eqIndex) : EqResponse::magnitudeCurve(*channel, eqIndex);
    curve.freq = request.phase ? EqResponse::phaseGrid() : EqResponse::magnitudeGrid();
    curve.freq.resize(std::min(curve.freq.size(), points.size()));
    curve.values.reserve(curve.freq.size());
    // The magnitude curve carries ten times the dB for the chart; the phase curve degrees as they are.
    for (int i = 0; i < curve.freq.size(); ++i)
        curve.values.append(request.phase ? points.at(i).y() : points.at(i).y() / 10);
    return curve;
}

QString CtlDspResponse::frequencyText(double hz)
{
    QString t = QString::number(rounded(hz, 10), 'f', 1);
    if (t.endsWith(QLatin1String(".0")))
        t.chop(2);
    return t;
}

QString CtlDspResponse::valueText(double value)
{
    const QString t = QString::number(value, 'f', 2);
    return t == QLatin1String("-0.00") ? QStringLiteral("0.00") : t;
}

QByteArray CtlDspResponse::text(const Curve& curve)
{
    QByteArray out;
    out.reserve(curve.freq.size() * 16);
    for (int i = 0; i < curve.freq.size(); ++i)
        out += (frequencyText(curve.freq.at(i)) + QLatin1Char('\t') + valueText(curve.values.at(i)) + QLatin1Char('\n'))
                   .toLatin1();
    return out;
}

QByteArray CtlDspResponse::json(const Curve& curve, bool phase)
{
    QJsonArray freq;
    QJsonArray values;
    for (int i = 0; i < curve.freq.size(); ++i) {
        freq.append(rounded(curve.freq.at(i), 10));
        values.append(rounded(curve.values.at(i), 100) + 0.0); // + 0.0 turns -0 into 0
    }
    const QJsonObject o{{QStringLiteral("freq"), freq}, {phase ? QStringLiteral("deg") : QStringLiteral("db"), values}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}
