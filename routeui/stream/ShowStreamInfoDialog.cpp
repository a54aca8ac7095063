#include "ShowStreamInfoDialog.h"

#include <QLabel>
#include <QVBoxLayout>

ShowStreamInfoDialog::ShowStreamInfoDialog(QWidget* parent) : QDialog(parent), m_label(new QLabel(this))
{
    setObjectName(QStringLiteral("ShowStreamInfoDialog"));
    setWindowTitle(tr("Details"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_label->setObjectName(QStringLiteral("info_lb"));
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
}

void ShowStreamInfoDialog::setText(const QString& text)
{
    m_label->setText(text);
    adjustSize();
}

QString ShowStreamInfoDialog::text() const
{
    return m_label->text();
}
