#include "AudioFormatControl.h"

#include "AppState.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "ModelTable.h"
#include "OfflineDeviceBridge.h"
#include "ReasonText.h"

#include <QComboBox>
#include <QJsonDocument>
#include <QMessageBox>

#include <algorithm>
#include <cmath>

namespace {

// Network delays offered, in microseconds; a device's own value is added when it is not among them.
const int kDelayChoicesUs[] = {250, 500, 1000, 2000, 3000, 4000, 5000, 8000, 10000, 20000, 40000, 80000};

QString msText(double ms)
{
    return QString::number(ms, 'g', 6) + QStringLiteral(" ms");
}

} // namespace

AudioFormatControl::AudioFormatControl(const QString& devId, const Combos& combos, QWidget* page)
    : QObject(page), m_devId(devId), m_c(combos), m_page(page)
{
    m_c.byteNum->clear();
    m_c.byteNum->addItems({QStringLiteral("16 Bits"), QStringLiteral("24 Bits"), QStringLiteral("32 Bits")});
}

void AudioFormatControl::load(const DevDetail_t& detail)
{
    m_model = detail.model;
    int rate = detail.sampleRate;
    // Packet time and delay live only in the device's announcement.
    DevHeader hdr{};
    if (dvm_copyDevHeader(findDevById(m_devId.toUtf8().constData()), &hdr)) {
        if (hdr.pFrameNum > 0 && hdr.sampleRate > 0) {
            m_packetUs = 1e6 * hdr.pFrameNum / hdr.sampleRate;
            m_packetDiv = QString::number(qRound(double(hdr.sampleRate) / hdr.pFrameNum));
        }
        m_delayUs = hdr.delayUs;
        if (rate == 0)
            rate = hdr.sampleRate;
    }
    m_sampleRate = rate > 0 ? QString::number(rate) : QString();
    loadValues(detail);
}

void AudioFormatControl::loadOffline()
{
    if (m_offline == nullptr)
        return;
    const std::optional<OfflineDevDetail> s = m_offline->settings();
    if (!s)
        return;
    const DevDetail_t detail = OfflineDeviceBridge::toDetail(*s);
    m_model = detail.model;
    m_sampleRate = detail.sampleRate > 0 ? QString::number(detail.sampleRate) : QString();
    m_packetDiv = OfflineDeviceBridge::divisorOf(s->packetTime);
    m_packetUs = m_packetDiv.isEmpty() ? s->packetTime * 1000.0 : 1e6 / m_packetDiv.toInt();
    m_delayUs = int(std::lround(s->delayMs * 1000.0));
    loadValues(detail);
}

void AudioFormatControl::loadValues(const DevDetail_t& detail)
{
    m_sampleByteNum = detail.sampleByteNum;
    refill(detail);
    fillDelays();
    restore();
}

bool AudioFormatControl::isOffline() const
{
    return m_offline != nullptr || AppState::isOffline();
}

bool AudioFormatControl::stored(bool ok)
{
    if (ok)
        showDone();
    else
        emit signal_showTips(tr("设置失败"));
    return ok;
}

void AudioFormatControl::refill(const DevDetail_t& detail)
{
    fillSampleRates(detail);
    fillPacketTimes(detail);
    restore();
}

void AudioFormatControl::fillSampleRates(const DevDetail_t& detail)
{
    QStringList rates;
    for (const QString& r : detail.sampleRates) {
        if (!r.trimmed().isEmpty())
            rates.append(r.trimmed());
    }
    if (!m_sampleRate.isEmpty() && !rates.contains(m_sampleRate))
        rates.prepend(m_sampleRate);
    m_c.sampleRate->clear();
    m_c.sampleRate->addItems(rates);
}

void AudioFormatControl::fillPacketTimes(const DevDetail_t& detail)
{
    QStringList divs;
    for (const QString& d : detail.packetTimeDivs) {
        if (d.trimmed().toInt() > 0)
            divs.append(d.trimmed());
    }
    if (!m_packetDiv.isEmpty() && !divs.contains(m_packetDiv))
        divs.prepend(m_packetDiv);
    m_c.packetTime->clear();
    for (const QString& d : divs)
        m_c.packetTime->addItem(msText(1000.0 / d.toInt()), d);
}

void AudioFormatControl::fillDelays()
{
    QList<int> delays(std::begin(kDelayChoicesUs), std::end(kDelayChoicesUs));
    if (m_delayUs > 0 && !delays.contains(m_delayUs)) {
        delays.append(m_delayUs);
        std::sort(delays.begin(), delays.end());
    }
    m_c.delay->clear();
    for (int us : delays)
        m_c.delay->addItem(msText(us / 1000.0), us);
}

void AudioFormatControl::restore()
{
    m_c.sampleRate->setCurrentIndex(m_c.sampleRate->findText(m_sampleRate));
    m_c.packetTime->setCurrentIndex(m_c.packetTime->findData(m_packetDiv));
    m_c.delay->setCurrentIndex(m_c.delay->findData(m_delayUs));
    m_c.byteNum->setCurrentIndex(m_sampleByteNum >= 2 && m_sampleByteNum <= 4 ? m_sampleByteNum - 2 : -1);
}

void AudioFormatControl::send(const QString& ops, const QString& key, const QString& value)
{
    const QJsonObject msg{{QStringLiteral("ops"), ops}, {QStringLiteral("devId"), m_devId}, {key, value}};
    emit sendChangeData(QString::fromUtf8(QJsonDocument(msg).toJson(QJsonDocument::Compact)));
    emit signal_awaitReply();
}

void AudioFormatControl::showDone()
{
    emit signal_showTips(ReasonText::forReason(QStringLiteral("设置成功"), AppState::isChinese()));
}

void AudioFormatControl::showFailure(const QJsonObject& reply)
{
    const QString reason = reply.value(QStringLiteral("reason")).toString();
    emit signal_showTips(reason.isEmpty() ? tr("设置失败") : ReasonText::forReason(reason, AppState::isChinese()));
}

void AudioFormatControl::on_samplerate_comb_activated(int index)
{
    const QString rate = m_c.sampleRate->itemText(index);
    if (rate == m_sampleRate)
        return;
    if (isOffline()) {
        if (ask(tr("切换采样率将加载采样率对应默认配置,是否切换?"))) {
            if (m_offline == nullptr) {
                m_sampleRate = rate;
                showDone();
            } else if (stored(m_offline->setSampleRate(rate.toInt()))) {
                m_sampleRate = rate;
            }
        }
        restore();
        return;
    }
    if (!ask(tr("重启设备才可生效，是否修改并重启？"))) {
        restore();
        return;
    }
    m_pendingRate = rate;
    send(QStringLiteral("setSampleRate"), QStringLiteral("val"), rate);
}

void AudioFormatControl::on_PacketTimeDiv_comb_activated(int index)
{
    const QString div = m_c.packetTime->itemData(index).toString();
    if (div == m_packetDiv || div.toInt() <= 0)
        return;
    const double packetUs = 1e6 / div.toInt();
    // The receive buffer must hold at least four packets.
    if (m_delayUs * 0.25 < packetUs - 1e-6) {
        emit signal_showTips(tr("网络延时不能小于包时间的4倍,请先修改网络延时"));
        restore();
        return;
    }
    if (isOffline()) {
        if (m_offline == nullptr || m_offline->setPacketTimeDiv(div.toInt())) {
            m_packetDiv = div;
            m_packetUs = packetUs;
        }
        stored(m_packetDiv == div);
        restore();
        return;
    }
    if (!ask(tr("重启设备才可生效，是否修改并重启？"))) {
        restore();
        return;
    }
    m_pendingDiv = div;
    send(QStringLiteral("setPacketTimeDiv"), QStringLiteral("val"), div);
}

void AudioFormatControl::on_netdelay_comb_activated(int index)
{
    const int us = m_c.delay->itemData(index).toInt();
    if (us == m_delayUs)
        return;
    if (us < 4 * m_packetUs - 1e-6) {
        emit signal_showTips(tr("网络延时不能小于包时间的4倍"));
        restore();
        return;
    }
    if (isOffline()) {
        if (m_offline == nullptr || m_offline->setDelayUs(us))
            m_delayUs = us;
        stored(m_delayUs == us);
        restore();
        return;
    }
    m_pendingDelayUs = us;
    send(QStringLiteral("setDelayUs"), QStringLiteral("us"), QString::number(us));
}

void AudioFormatControl::on_combo_sampleByteNum_activated(int index)
{
    const int byteNum = index + 2;
    if (byteNum == m_sampleByteNum)
        return;
    if (isOffline()) {
        // Nothing leaves while offline; a design device keeps the depth itself.
        if (m_offline == nullptr || m_offline->setSampleByteNum(byteNum))
            m_sampleByteNum = byteNum;
        if (m_sampleByteNum == byteNum)
            emit signal_showTips(QStringLiteral("Set Sample Bit Depth Succ!"));
        else
            emit signal_showTips(QStringLiteral("Set Sample Bit Depth Failed!"));
        restore();
        return;
    }
    m_pendingByteNum = byteNum;
    send(QStringLiteral("setSampleByteNum"), QStringLiteral("sampleByteNum"), QString::number(byteNum));
}

bool AudioFormatControl::handleReply(const QJsonObject& msg)
{
    const QString ops = msg.value(QStringLiteral("ops")).toString();
    const bool succ = msg.value(QStringLiteral("result")).toString() == QLatin1String("succ");
    auto reboot = [this] {
        const QJsonObject r{{QStringLiteral("ops"), QStringLiteral("reboot")}, {QStringLiteral("devId"), m_devId}};
        emit sendChangeData(QString::fromUtf8(QJsonDocument(r).toJson(QJsonDocument::Compact)));
    };

    if (ops == QLatin1String("setSampleRate")) {
        if (succ && !m_pendingRate.isEmpty()) {
            m_sampleRate = m_pendingRate;
            const int rate = m_sampleRate.toInt();
            DevDetailStore::instance().updateDevDetail(m_devId, [rate](DevDetail_t& d) { d.sampleRate = rate; });
            reboot();
        } else if (!succ) {
            showFailure(msg);
        }
        m_pendingRate.clear();
    } else if (ops == QLatin1String("setPacketTimeDiv")) {
        if (succ && !m_pendingDiv.isEmpty()) {
            m_packetDiv = m_pendingDiv;
            m_packetUs = 1e6 / m_packetDiv.toInt();
            reboot();
        } else if (!succ) {
            showFailure(msg);
        }
        m_pendingDiv.clear();
    } else if (ops == QLatin1String("setDelayUs")) {
        if (succ) {
            if (m_pendingDelayUs > 0)
                m_delayUs = m_pendingDelayUs;
            showDone();
        } else {
            showFailure(msg);
        }
        m_pendingDelayUs = 0;
    } else if (ops == QLatin1String("setSampleByteNum")) {
        if (!succ) {
            emit signal_showTips(QStringLiteral("Set Sample Bit Depth Failed!"));
        } else {
            if (m_pendingByteNum != 0)
                m_sampleByteNum = m_pendingByteNum;
            if (ModelTable::instance().isVirtualSoundCard(m_model)) {
                if (m_restartBox.isNull()) {
                    m_restartBox =
                        new QMessageBox(QMessageBox::Information, QStringLiteral("Tips"),
                                        QStringLiteral("Set succ, Virtual sound card needs to be manually restarted."),
                                        QMessageBox::Ok, m_page);
                    m_restartBox->setAttribute(Qt::WA_DeleteOnClose);
                    m_restartBox->open();
                }
            } else {
                emit signal_showTips(QStringLiteral("Set Sample Bit Depth Succ!"));
            }
        }
        m_pendingByteNum = 0;
    } else {
        return false;
    }
    emit signal_replied();
    restore();
    return true;
}
