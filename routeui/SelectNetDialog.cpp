#include "SelectNetDialog.h"

#include "NetItemForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

SelectNetDialog::SelectNetDialog(QWidget* parent) : QDialog(parent), m_source(&NetInterfaceList::fromHost)
{
    setObjectName(QStringLiteral("SelectNetDialog"));
    auto* layout = new QVBoxLayout(this);
    m_hint = new QLabel(this);
    layout->addWidget(m_hint);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("listWidget"));
    layout->addWidget(m_list);
    m_okButton = new QPushButton(this);
    m_okButton->setObjectName(QStringLiteral("ok_bt"));
    // Enter is handled in keyPressEvent; a default button would confirm twice.
    m_okButton->setAutoDefault(false);
    layout->addWidget(m_okButton, 0, Qt::AlignRight);
    connect(m_okButton, &QPushButton::clicked, this, &SelectNetDialog::on_ok_bt_clicked);
    retranslate();
}

void SelectNetDialog::setAddressSource(AddressSource source)
{
    m_source = std::move(source);
}

bool SelectNetDialog::autoChoose()
{
    const bool chosen = m_choice.autoChoose(m_source ? m_source() : QVector<NetInterfaceList::Entry>());
    rebuildItems();
    return chosen;
}

void SelectNetDialog::refreshInterfaces()
{
    const QVector<NetInterfaceList::Entry> before = m_choice.entries();
    const auto reaction = m_choice.refresh(m_source ? m_source() : QVector<NetInterfaceList::Entry>());
    if (m_choice.entries() == before)
        return;
    rebuildItems();
    switch (reaction) {
    case NetInterfaceChoice::Reaction::Chosen:
        // A dialog left open after the choice was made would invite confirming it again, which restarts
        // the network thread and drops every listed device for nothing.
        hide();
        emit updateNetInterafceSignal();
        break;
    case NetInterfaceChoice::Reaction::AskUser:
        show();
        raise();
        activateWindow();
        break;
    case NetInterfaceChoice::Reaction::None:
        break;
    }
}

QString SelectNetDialog::selectedIp() const
{
    return m_choice.selected();
}

QString SelectNetDialog::currentChoice() const
{
    return m_choice.current();
}

QVector<NetInterfaceList::Entry> SelectNetDialog::addresses() const
{
    return m_choice.entries();
}

void SelectNetDialog::on_check_changed(QString ip)
{
    m_choice.setCurrent(ip);
    for (int i = 0; i < m_list->count(); ++i) {
        if (auto* item = qobject_cast<NetItemForm*>(m_list->itemWidget(m_list->item(i))))
            item->setChecked(item->ip() == ip);
    }
}

void SelectNetDialog::on_ok_bt_clicked()
{
    confirm();
}

void SelectNetDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Enter || event->key() == Qt::Key_Return) {
        confirm();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SelectNetDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}

void SelectNetDialog::retranslate()
{
    setWindowTitle(tr("设置网卡"));
    m_hint->setText(tr("请选择网卡"));
    m_okButton->setText(tr("确定"));
}

void SelectNetDialog::rebuildItems()
{
    m_list->clear();
    for (const NetInterfaceList::Entry& e : m_choice.entries()) {
        auto* row = new QListWidgetItem(m_list);
        auto* form = new NetItemForm(e.ip, e.interfaceName, m_list);
        form->setChecked(e.ip == m_choice.current());
        row->setSizeHint(form->sizeHint());
        m_list->setItemWidget(row, form);
        connect(form, &NetItemForm::netItemSelectedSignal, this, &SelectNetDialog::on_check_changed);
    }
}

void SelectNetDialog::confirm()
{
    m_choice.confirm();
    emit updateNetInterafceSignal();
    hide();
}
