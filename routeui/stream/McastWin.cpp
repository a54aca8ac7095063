#include "McastWin.h"

#include "McastWidget.h"

#include <QVBoxLayout>

McastWin::McastWin(uint32_t dstIp, QWidget* parent) : QDialog(parent), m_widget(new McastWidget(dstIp, this))
{
    setObjectName(QStringLiteral("McastWin"));
    setWindowTitle(m_widget->windowTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_widget);
    resize(360, 320);
}
