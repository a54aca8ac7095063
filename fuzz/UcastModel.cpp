#include "UcastModel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const kOps[DVM_T_COUNT] = {"getAllRxCh",    "getAllRtpCh",   "getAllUcastRx",       "getAllUcastTx",
                                       "getAllMcastRx", "getAllMcastTx", "getAllActiveUcastId", "getAllActiveMcastId"};

[[noreturn]] void fail(const char* what, int id, long long stored, long long want)
{
    std::fprintf(stderr, "stored page differs from the model: %s id %d: %lld != %lld\n", what, id, stored, want);
    std::abort();
}

/// Absent gives 0, a plain decimal text its value; anything else is not interpreted (false).
bool plainValue(const QJsonValue& value, long long* out)
{
    static const QRegularExpression plain(QStringLiteral("^-?[0-9]{1,12}$"));
    *out = 0;
    if (value.isUndefined()) {
        return true;
    }
    if (!value.isString() || !plain.match(value.toString()).hasMatch()) {
        return false;
    }
    *out = value.toString().toLongLong();
    return true;
}

int clampId(long long v)
{
    return static_cast<int>(std::max(0LL, std::min<long long>(v, DVM_TABLE_SIZE)));
}

/// The element's id inside the table, -1 when it is outside or absent, -2 when not interpreted.
int elementId(const QJsonValue& value)
{
    long long id = 0;
    if (value.isUndefined()) {
        return -1;
    }
    if (!plainValue(value, &id)) {
        return -2;
    }
    return id >= 0 && id < DVM_TABLE_SIZE ? static_cast<int>(id) : -1;
}

bool activeFlag(const QJsonValue& value)
{
    if (value.isString()) {
        return !value.toString().isEmpty() && value.toString() != QLatin1String("0");
    }
    if (value.isBool()) {
        return value.toBool();
    }
    return value.isDouble() && value.toDouble() != 0.0;
}

} // namespace

UcastModel::UcastModel() : m_rxCh(DVM_TABLE_SIZE, -1), m_active(DVM_TABLE_SIZE, 0)
{
    std::fill(std::begin(m_fetched), std::end(m_fetched), 0);
    std::fill(std::begin(m_fetchedKnown), std::end(m_fetchedKnown), true);
}

void UcastModel::reply(const QByteArray& dgram)
{
    const QJsonObject obj = QJsonDocument::fromJson(dgram).object();
    const QString ops = obj.value(QLatin1String("ops")).toString();
    int table = -1;
    for (int t = 0; t < DVM_T_COUNT; ++t) {
        if (ops == QLatin1String(kOps[t])) {
            table = t;
        }
    }
    if (table < 0) {
        return;
    }
    long long start = 0;
    long long next = 0;
    if (!plainValue(obj.value(QLatin1String("idStart")), &start) ||
        !plainValue(obj.value(QLatin1String("idNext")), &next)) {
        m_fetchedKnown[table] = false;
        m_rxChKnown = m_rxChKnown && table != DVM_T_RXCH;
        m_activeKnown = m_activeKnown && table != DVM_T_UCAST_RX && table != DVM_T_ACTIVE_UCAST;
        return;
    }
    const int lo = clampId(start);
    const int hi = clampId(next);
    m_fetched[table] = hi;

    const QJsonArray arr = obj.value(QLatin1String("arr")).toArray();
    if (table == DVM_T_RXCH) {
        std::fill(m_rxCh.begin() + std::min(lo, hi), m_rxCh.begin() + hi, -1);
        for (const QJsonValue& v : arr) {
            const QJsonObject el = v.toObject();
            const int id = v.isObject() ? elementId(el.value(QLatin1String("id"))) : -1;
            long long rtp = 0;
            if (id == -2 || (id >= 0 && !plainValue(el.value(QLatin1String("rtpChId")), &rtp))) {
                m_rxChKnown = false;
            } else if (id >= 0) {
                m_rxCh[size_t(id)] =
                    static_cast<int32_t>(std::max<long long>(INT32_MIN, std::min<long long>(rtp, INT32_MAX)));
            }
        }
    } else if (table == DVM_T_UCAST_RX || table == DVM_T_ACTIVE_UCAST) {
        std::fill(m_active.begin() + std::min(lo, hi), m_active.begin() + hi, 0);
        for (const QJsonValue& v : arr) {
            if (table == DVM_T_UCAST_RX) {
                const int id = v.isObject() ? elementId(v.toObject().value(QLatin1String("id"))) : -1;
                if (id == -2) {
                    m_activeKnown = false;
                } else if (id >= 0) {
                    m_active[size_t(id)] = activeFlag(v.toObject().value(QLatin1String("active"))) ? 1 : 0;
                }
            } else {
                const int id = elementId(v);
                if (id == -2) {
                    m_activeKnown = false;
                } else if (id >= 0) {
                    m_active[size_t(id)] = 1;
                }
            }
        }
    }
}

void UcastModel::invalidate(bool activeOnly)
{
    if (activeOnly) {
        m_fetched[DVM_T_ACTIVE_UCAST] = 0;
        m_fetchedKnown[DVM_T_ACTIVE_UCAST] = true;
        return;
    }
    for (int t : {DVM_T_RXCH, DVM_T_RTPCH, DVM_T_UCAST_RX, DVM_T_MCAST_RX}) {
        m_fetched[t] = 0;
        m_fetchedKnown[t] = true;
    }
}

void UcastModel::compare(const DevRecord& rec) const
{
    for (int t = 0; t < DVM_T_COUNT; ++t) {
        if (m_fetchedKnown[t] && rec.tables.fetched[t] != m_fetched[t]) {
            fail(kOps[t], -1, rec.tables.fetched[t], m_fetched[t]);
        }
    }
    for (int id = 0; id < DVM_TABLE_SIZE; ++id) {
        if (m_rxChKnown && rec.tables.rxChMap(id) != m_rxCh[size_t(id)]) {
            fail("receive-channel map", id, rec.tables.rxChMap(id), m_rxCh[size_t(id)]);
        }
        if (m_activeKnown && rec.tables.ucastRx[id].active != m_active[size_t(id)]) {
            fail("unicast active flag", id, rec.tables.ucastRx[id].active, m_active[size_t(id)]);
        }
    }
}
