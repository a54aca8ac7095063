#include "McastWidget.h"

#include "DevDetailStore.h"
#include "DevManager.h"
#include "StreamName.h"

#include <QFormLayout>
#include <QLabel>
#include <QTextBrowser>
#include <cstring>

namespace {

QString cText(const char* field, size_t size)
{
    return QString::fromUtf8(field, static_cast<int>(strnlen(field, size)));
}

} // namespace

McastWidget::McastWidget(uint32_t dstIp, QWidget* parent)
    : QWidget(parent), m_dstIp(dstIp), m_devId(new QLabel(this)), m_name(new QLabel(this)), m_devIp(new QLabel(this)),
      m_dst(new QLabel(this)), m_devName(new QLabel(this)), m_channels(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("McastWidget"));
    setWindowTitle(tr("组播流详情"));
    m_devId->setObjectName(QStringLiteral("devId_lb"));
    m_name->setObjectName(QStringLiteral("name_lb"));
    m_devIp->setObjectName(QStringLiteral("devIp_lb"));
    m_dst->setObjectName(QStringLiteral("dst_lb"));
    m_devName->setObjectName(QStringLiteral("devName_lb"));
    m_channels->setObjectName(QStringLiteral("channel_tb"));
    auto* form = new QFormLayout(this);
    form->addRow(tr("设备ID"), m_devId);
    form->addRow(tr("组播流名称"), m_name);
    form->addRow(tr("设备IP"), m_devIp);
    form->addRow(tr("组播地址"), m_dst);
    form->addRow(tr("设备名称"), m_devName);
    form->addRow(tr("通道"), m_channels);
    refresh();
}

QString McastWidget::ipText(uint32_t ip)
{
    return dvm_ipToString(ip);
}

bool McastWidget::refresh()
{
    McastRecord rec;
    if (!dvm_copyMcast(findMcastByDstIp(m_dstIp), &rec)) {
        m_dst->setText(ipText(m_dstIp));
        m_channels->setPlainText(QString());
        return false;
    }
    m_name->setText(StreamName::shown(cText(rec.name, sizeof rec.name)));
    m_devIp->setText(ipText(rec.stream.srcIp));
    m_dst->setText(QStringLiteral("%1/%2").arg(ipText(rec.stream.dstIp)).arg(rec.stream.dstPort));

    QStringList lines;
    DevRecord* src = findDevByIp(rec.stream.srcIp);
    DevHeader hdr;
    if (dvm_copyDevHeader(src, &hdr)) {
        const QString devId = cText(hdr.devId, sizeof hdr.devId);
        m_devId->setText(devId);
        m_devName->setText(cText(hdr.name, sizeof hdr.name));
        const QStringList names = DevDetailStore::instance().getDevDetail(devId).txChNames;
        // The sender's own transmit table names the channels of the stream.
        const int n = qBound(0, src->tables.fetched[DVM_T_MCAST_TX], static_cast<int>(DVM_TABLE_SIZE));
        for (int id = 0; id < n; ++id) {
            const TxStreamEntry& e = src->tables.mcastTx[id];
            if (e.stream.dstIp != m_dstIp)
                continue;
            for (int i = 0; i < DVM_STREAM_CH && i < e.stream.chNum; ++i) {
                const int ch = e.srcChId(i);
                if (ch < 0)
                    continue;
                lines << (ch < names.size() ? names.at(ch) : QStringLiteral("out%1").arg(ch));
            }
            break;
        }
    } else {
        m_devId->clear();
        m_devName->clear();
    }
    if (lines.isEmpty())
        lines << tr("%1 个通道").arg(rec.stream.chNum);
    m_channels->setPlainText(lines.join(QLatin1Char('\n')));
    return true;
}
