#include "FormStreamRoute.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// Field order is the order the validation reports the first empty one.
const char* const kUcastFields[] = {"ucast_devId", "ucast_srcChId", "ucast_dstChId"};
const char* const kMcastFields[] = {"mcast_dstIp", "mcast_dstPort", "mcast_chNum",  "mcast_sample",
                                    "mcast_rtp",   "mcast_srcChId", "mcast_dstChId"};

} // namespace

FormStreamRoute::FormStreamRoute(QWidget* parent)
    : QDialog(parent), m_group(new QButtonGroup(this)), m_ucastRad(new QRadioButton(tr("Unicast routing"), this)),
      m_mcastRad(new QRadioButton(tr("Multicast routing"), this)), m_pages(new QStackedWidget(this)),
      m_okBt(new QPushButton(tr("确定"), this))
{
    setObjectName(QStringLiteral("FormStreamRoute"));
    setWindowTitle(tr("Create routing"));
    m_ucastRad->setObjectName(QStringLiteral("ucast_rad_bt"));
    m_mcastRad->setObjectName(QStringLiteral("mcast_rad_bt"));
    m_okBt->setObjectName(QStringLiteral("ok_bt"));
    m_group->addButton(m_ucastRad, Unicast);
    m_group->addButton(m_mcastRad, Multicast);

    auto* ucastPage = new QWidget(m_pages);
    ucastPage->setLayout(new QFormLayout);
    addField(kUcastFields[0], QStringLiteral("srcDevId"), ucastPage, false);
    addField(kUcastFields[1], QStringLiteral("srcChId"), ucastPage, true);
    addField(kUcastFields[2], QStringLiteral("dstChId"), ucastPage, true);
    auto* mcastPage = new QWidget(m_pages);
    mcastPage->setLayout(new QFormLayout);
    auto* ip = addField(kMcastFields[0], QStringLiteral("dstIp"), mcastPage, false);
    ip->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]{0,15}")), ip));
    addField(kMcastFields[1], QStringLiteral("dstPort"), mcastPage, true);
    addField(kMcastFields[2], QStringLiteral("chNum"), mcastPage, true);
    addField(kMcastFields[3], QStringLiteral("sampleByteNum"), mcastPage, true);
    addField(kMcastFields[4], QStringLiteral("rtpTsOffset"), mcastPage, true);
    addField(kMcastFields[5], QStringLiteral("srcChId"), mcastPage, true);
    addField(kMcastFields[6], QStringLiteral("dstChId"), mcastPage, true);
    m_pages->addWidget(ucastPage);
    m_pages->addWidget(mcastPage);

    auto* radios = new QHBoxLayout;
    radios->addWidget(m_ucastRad);
    radios->addWidget(m_mcastRad);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(radios);
    layout->addWidget(m_pages);
    layout->addWidget(m_okBt, 0, Qt::AlignRight);

    connect(m_group, &QButtonGroup::idClicked, this, &FormStreamRoute::slot_modeClicked);
    connect(m_okBt, &QPushButton::clicked, this, &FormStreamRoute::signal_create);
    setMode(Unicast);
}

QLineEdit* FormStreamRoute::addField(const char* objectName, const QString& label, QWidget* page, bool digits)
{
    auto* le = new QLineEdit(page);
    le->setObjectName(QLatin1String(objectName));
    if (digits)
        le->setValidator(new QIntValidator(0, 2147483647, le));
    static_cast<QFormLayout*>(page->layout())->addRow(label, le);
    return le;
}

FormStreamRoute::Mode FormStreamRoute::mode() const
{
    return m_mcastRad->isChecked() ? Multicast : Unicast;
}

void FormStreamRoute::setMode(Mode mode)
{
    (mode == Multicast ? m_mcastRad : m_ucastRad)->setChecked(true);
    slot_modeClicked(mode);
}

void FormStreamRoute::slot_modeClicked(int id)
{
    m_pages->setCurrentIndex(id == Multicast ? 1 : 0);
}

static QString fieldText(const QObject* root, const char* name)
{
    const auto* le = root->findChild<QLineEdit*>(QLatin1String(name));
    return le ? le->text().trimmed() : QString();
}

QString FormStreamRoute::ucastDevId() const
{
    return fieldText(this, "ucast_devId");
}
QString FormStreamRoute::ucastSrcChId() const
{
    return fieldText(this, "ucast_srcChId");
}
QString FormStreamRoute::ucastDstChId() const
{
    return fieldText(this, "ucast_dstChId");
}
QString FormStreamRoute::mcastDstIp() const
{
    return fieldText(this, "mcast_dstIp");
}
QString FormStreamRoute::mcastDstPort() const
{
    return fieldText(this, "mcast_dstPort");
}
QString FormStreamRoute::mcastChNum() const
{
    return fieldText(this, "mcast_chNum");
}
QString FormStreamRoute::mcastSample() const
{
    return fieldText(this, "mcast_sample");
}
QString FormStreamRoute::mcastRtp() const
{
    return fieldText(this, "mcast_rtp");
}
QString FormStreamRoute::mcastSrcChId() const
{
    return fieldText(this, "mcast_srcChId");
}
QString FormStreamRoute::mcastDstChId() const
{
    return fieldText(this, "mcast_dstChId");
}

void FormStreamRoute::setDstChId(int ch)
{
    for (const char* name : {"ucast_dstChId", "mcast_dstChId"}) {
        if (auto* le = findChild<QLineEdit*>(QLatin1String(name)))
            le->setText(QString::number(ch));
    }
}

QString FormStreamRoute::validate() const
{
    if (mode() == Unicast) {
        for (const char* f : kUcastFields) {
            if (fieldText(this, f).isEmpty())
                return QStringLiteral("%1 cannot be empty").arg(QLatin1String(f));
        }
    } else {
        for (const char* f : kMcastFields) {
            if (fieldText(this, f).isEmpty())
                return QStringLiteral("%1 cannot be empty").arg(QLatin1String(f));
        }
    }
    return QString();
}
