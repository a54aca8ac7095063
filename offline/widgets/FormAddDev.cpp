#include "FormAddDev.h"

#include "AppState.h"
#include "StyledButton.h"
#include "UiScale.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

FormAddDev::FormAddDev(const OfflineDeviceType& type, QWidget* parent)
    : QWidget(parent), m_type(type), m_icon(new QLabel(this)), m_model(new QLabel(this)), m_brand(new QLabel(this)),
      m_describe(new QLabel(this)), m_detail(new QLabel(this)), m_countLab(new QLabel(this)),
      m_detailBt(new StyledButton(QString(), StyledButton::Menu, this)),
      m_addBt(new StyledButton(QString(), StyledButton::Action, this))
{
    // Named by model, so a script can pick one type among many.
    setObjectName(QStringLiteral("FormAddDev:") + type.devModel);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("FormAddDev{background:#262e38;border-radius:4px;}"
                                 "QLabel{color:#9fb0c3;font-size:%1px;background:transparent;}"
                                 "QLabel#type_lab{color:#e8edf3;font-size:%2px;font-weight:bold;}"
                                 "QLabel#count_lab{color:#7fc8f8;}")
                      .arg(UiScale::fontPx(12))
                      .arg(UiScale::fontPx(15)));
    m_icon->setObjectName(QStringLiteral("icon_lab"));
    m_model->setObjectName(QStringLiteral("type_lab"));
    m_brand->setObjectName(QStringLiteral("brand_lab"));
    m_describe->setObjectName(QStringLiteral("describe_lab"));
    m_detail->setObjectName(QStringLiteral("detail_lab"));
    m_countLab->setObjectName(QStringLiteral("count_lab"));
    m_detailBt->setObjectName(QStringLiteral("detail_bt"));
    m_addBt->setObjectName(QStringLiteral("add_bt"));

    const int iconSize = UiScale::px(48);
    m_icon->setFixedSize(iconSize, iconSize);
    m_icon->setAlignment(Qt::AlignCenter);
    const QPixmap pixmap(m_type.iconPath);
    if (!pixmap.isNull())
        m_icon->setPixmap(pixmap.scaled(iconSize, iconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_model->setText(m_type.devModel);
    m_model->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_describe->setWordWrap(true);
    m_detail->setWordWrap(true);
    m_detail->hide();
    m_countLab->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Same action column in every row, whatever the count and the toggle say.
    m_countLab->setMinimumWidth(UiScale::px(84));
    m_detailBt->setMinimumWidth(UiScale::px(48));

    auto* head = new QHBoxLayout;
    head->setSpacing(UiScale::px(10));
    head->addWidget(m_model);
    head->addWidget(m_brand);
    head->addStretch(1);
    auto* text = new QVBoxLayout;
    text->setSpacing(UiScale::px(3));
    text->addLayout(head);
    text->addWidget(m_describe);
    text->addWidget(m_detail);
    text->addStretch(1);
    auto* actions = new QHBoxLayout;
    actions->setSpacing(UiScale::px(6));
    actions->addWidget(m_countLab);
    actions->addWidget(m_detailBt);
    actions->addWidget(m_addBt);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(UiScale::px(10), UiScale::px(8), UiScale::px(10), UiScale::px(8));
    row->setSpacing(UiScale::px(12));
    row->addWidget(m_icon, 0, Qt::AlignTop);
    row->addLayout(text, 1);
    row->addLayout(actions);

    connect(m_addBt, &QPushButton::clicked, this, &FormAddDev::on_add_bt_clicked);
    connect(m_detailBt, &QPushButton::clicked, this, &FormAddDev::on_detail_bt_clicked);
    retranslate();
}

void FormAddDev::setCount(int count)
{
    m_count = count;
    m_countLab->setText(AppState::pick(QStringLiteral("已添加 %1 台"), QStringLiteral("%1 in design")).arg(count));
}

bool FormAddDev::detailsShown() const
{
    return !m_detail->isHidden();
}

void FormAddDev::on_add_bt_clicked()
{
    emit signal_addDevice(m_type);
}

void FormAddDev::on_detail_bt_clicked()
{
    m_detail->setVisible(m_detail->isHidden());
    retranslate();
}

void FormAddDev::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void FormAddDev::retranslate()
{
    const bool zh = AppState::isChinese();
    m_brand->setText(zh || m_type.enBrand.isEmpty() ? m_type.chBrand : m_type.enBrand);
    m_describe->setText(zh || m_type.enDescribe.isEmpty() ? m_type.chDescribe : m_type.enDescribe);
    m_detail->setText(detailText());
    m_detailBt->setText(detailsShown() ? AppState::pick(QStringLiteral("收起"), QStringLiteral("Less"))
                                       : AppState::pick(QStringLiteral("详情"), QStringLiteral("Details")));
    m_addBt->setText(AppState::pick(QStringLiteral("添加"), QStringLiteral("Add")));
    setCount(m_count);
}

QString FormAddDev::detailText() const
{
    const OfflineDeviceType& t = m_type;
    QStringList lines;
    lines << AppState::pick(QStringLiteral("网络通道：收 %1 / 发 %2　物理通道：入 %3 / 出 %4"),
                            QStringLiteral("Network channels: %1 rx / %2 tx   Physical: %3 in / %4 out"))
                 .arg(t.chNumRx)
                 .arg(t.chNumTx)
                 .arg(t.phyChNumRx)
                 .arg(t.phyChNumTx);
    if (t.usbInNum > 0 || t.usbOutNum > 0)
        lines << AppState::pick(QStringLiteral("USB：入 %1 / 出 %2"), QStringLiteral("USB: %1 in / %2 out"))
                     .arg(t.usbInNum)
                     .arg(t.usbOutNum);
    if (!t.sampleRateList.isEmpty())
        lines << AppState::pick(QStringLiteral("采样率：%1 Hz"), QStringLiteral("Sample rates: %1 Hz"))
                     .arg(t.sampleRateList.join(QStringLiteral(" / ")));
    if (!t.packetTimeList.isEmpty())
        lines << AppState::pick(QStringLiteral("包时间：%1 ms"), QStringLiteral("Packet times: %1 ms"))
                     .arg(t.packetTimeList.join(QStringLiteral(" / ")));
    if (!t.version.isEmpty())
        lines << AppState::pick(QStringLiteral("版本：%1"), QStringLiteral("Version: %1")).arg(t.version);
    return lines.join(QLatin1Char('\n'));
}
