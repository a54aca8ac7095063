#include "ModelTable.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcModel, "meridane.model")

const char* const kResourcePath = ":/meridane/models.json";

bool readStringArray(const QJsonValue& v, QStringList* out)
{
    if (!v.isArray())
        return false;
    for (const QJsonValue& e : v.toArray()) {
        if (!e.isString() || e.toString().isEmpty())
            return false;
        out->append(e.toString());
    }
    return true;
}

} // namespace

// The resource lives in a static library, whose registration object the linker would drop
// unless it is referenced; Q_INIT_RESOURCE must be used outside any namespace.
static void initModelResource()
{
    Q_INIT_RESOURCE(models);
}

bool ModelTable::fromJson(const QByteArray& json, ModelTable* out, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject())
        return fail(parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                 : QStringLiteral("not a JSON object"));
    const QJsonObject root = doc.object();

    ModelTable t;
    if (!readStringArray(root.value(QLatin1String("hostPrefixes")), &t.m_hostPrefixes))
        return fail(QStringLiteral("hostPrefixes: expected an array of non-empty texts"));

    for (const QJsonValue& v : root.value(QLatin1String("moduleFamilies")).toArray()) {
        const QString prefix = v.toObject().value(QLatin1String("prefix")).toString();
        if (prefix.isEmpty())
            return fail(QStringLiteral("moduleFamilies: a row without prefix"));
        t.m_modulePrefixes.append(prefix);
    }

    for (const QJsonValue& v : root.value(QLatin1String("secondaryUnitFamilies")).toArray()) {
        const QJsonObject row = v.toObject();
        SecondaryUnitFamily f{row.value(QLatin1String("devIdPrefix")).toString(),
                              row.value(QLatin1String("unitPrefix")).toString()};
        // The unit prefix is the devId prefix behind one extra letter; anything else could not be undone.
        if (f.devIdPrefix.isEmpty() || f.unitPrefix.size() != f.devIdPrefix.size() + 1 ||
            !f.unitPrefix.endsWith(f.devIdPrefix))
            return fail(
                QStringLiteral("secondaryUnitFamilies: unitPrefix must be devIdPrefix with one leading letter"));
        t.m_secondaryFamilies.append(f);
    }

    for (const QJsonValue& v : root.value(QLatin1String("models")).toArray()) {
        const QJsonObject row = v.toObject();
        const QString model = row.value(QLatin1String("model")).toString();
        if (model.isEmpty())
            return fail(QStringLiteral("models: a row without model"));
        if (t.m_models.contains(model))
            return fail(QStringLiteral("models: %1 listed twice").arg(model));
        t.m_models.insert(model, row);
        t.m_modelOrder.append(model);
    }
    *out = t;
    return true;
}

const ModelTable& ModelTable::instance()
{
    static const ModelTable table = [] {
        initModelResource();
        ModelTable t;
        QFile file(QString::fromLatin1(kResourcePath));
        QString error;
        if (!file.open(QIODevice::ReadOnly))
            qCWarning(lcModel) << "model table missing:" << kResourcePath;
        else if (!fromJson(file.readAll(), &t, &error))
            qCWarning(lcModel) << "model table unreadable:" << error;
        return t;
    }();
    return table;
}

bool ModelTable::isHost(const QString& devId) const
{
    for (const QString& p : m_hostPrefixes)
        if (devId.startsWith(p))
            return true;
    return false;
}

bool ModelTable::isExpansionModule(const QString& devId) const
{
    for (const QString& p : m_modulePrefixes)
        if (devId.contains(p))
            return true;
    return false;
}

QStringList ModelTable::moduleDevIds(const QString& hostDevId) const
{
    QStringList out;
    if (!isHost(hostDevId))
        return out;
    const QString tail = hostDevId.mid(hostDevId.lastIndexOf(QLatin1Char('-')) + 1);
    for (const QString& p : m_modulePrefixes)
        out.append(p + tail);
    return out;
}

QString ModelTable::secondaryUnitDevId(const QString& hostname) const
{
    for (const SecondaryUnitFamily& f : m_secondaryFamilies)
        if (hostname.startsWith(f.unitPrefix))
            return hostname.mid(1);
    return QString();
}

QString ModelTable::deviceTypeText(const QString& model) const
{
    return m_models.value(model).value(QLatin1String("deviceType")).toString();
}

QJsonObject ModelTable::modelRow(const QString& model) const
{
    return m_models.value(model);
}

bool ModelTable::hasDsp(const QString& model) const
{
    return modelRow(model).value(QLatin1String("dsp")).toBool();
}

bool ModelTable::isLevelBatch(const QString& model) const
{
    return modelRow(model).value(QLatin1String("levelBatch")).toBool();
}

bool ModelTable::isMatrixBatch(const QString& model) const
{
    return modelRow(model).value(QLatin1String("matrixBatch")).toBool();
}

bool ModelTable::isAmplifier(const QString& model) const
{
    return modelRow(model).value(QLatin1String("amplifier")).toBool();
}

bool ModelTable::isVirtualSoundCard(const QString& model) const
{
    return modelRow(model).value(QLatin1String("virtualSoundCard")).toBool();
}

bool ModelTable::supportsPriority(const QString& model) const
{
    return modelRow(model).value(QLatin1String("ptpPriority")).toBool();
}

int ModelTable::dspLockPort(const QString& model) const
{
    const int port = modelRow(model).value(QLatin1String("dspLockPort")).toInt(8999);
    return port > 0 && port <= 65535 ? port : 8999;
}

int ModelTable::interfaceCount(const QString& model) const
{
    return qBound(1, modelRow(model).value(QLatin1String("interfaces")).toInt(1), 3);
}

bool ModelTable::isVirtualMixer(const QString& model) const
{
    return modelRow(model).value(QLatin1String("virtualMixer")).toBool();
}

bool ModelTable::hasSeparateDspAddress(const QString& model) const
{
    return modelRow(model).value(QLatin1String("separateDspAddress")).toBool();
}

double ModelTable::dspCpuFactor(const QString& model) const
{
    const double factor = modelRow(model).value(QLatin1String("dspCpuFactor")).toDouble(1.0);
    return factor > 0 && factor <= 16 ? factor : 1.0;
}

int ModelTable::automixerLimit(const QString& model) const
{
    const int limit = modelRow(model).value(QLatin1String("automixerLimit")).toInt(8);
    return limit >= 0 ? limit : 8;
}

qint64 ModelTable::dspDelayBudget(const QString& model) const
{
    const double budget = modelRow(model).value(QLatin1String("dspDelayBudget")).toDouble(480000);
    // Whole samples within what a JSON number holds exactly.
    return budget >= 0 && budget <= 9007199254740992.0 ? qint64(budget) : 480000;
}
