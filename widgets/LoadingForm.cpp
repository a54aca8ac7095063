#include "LoadingForm.h"

#include "UiScale.h"

#include <QEvent>
#include <QVBoxLayout>

LoadingForm::LoadingForm(QWidget* parent) : QWidget(parent), m_label(new QLabel(this))
{
    setObjectName(QStringLiteral("loadingForm"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QWidget#loadingForm{background:rgba(0,0,0,150);}"
                                 "QLabel{color:#ffffff;font-size:%1px;background:transparent;}")
                      .arg(UiScale::fontPx(16)));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label, 0, Qt::AlignCenter);
    m_label->setAlignment(Qt::AlignCenter);
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &LoadingForm::onTick);
    // Follows the parent's size while shown.
    if (parent != nullptr)
        parent->installEventFilter(this);
    hide();
}

void LoadingForm::setCountdown(int seconds)
{
    m_remaining = seconds;
    updateLabel();
}

void LoadingForm::setText(const QString& text)
{
    m_text = text;
    updateLabel();
}

void LoadingForm::start()
{
    if (parentWidget() != nullptr)
        setGeometry(parentWidget()->rect());
    show();
    raise();
    if (m_remaining > 0)
        m_tick.start();
    else
        m_tick.stop();
}

void LoadingForm::stop()
{
    m_tick.stop();
    hide();
}

void LoadingForm::onTick()
{
    --m_remaining;
    updateLabel();
    if (m_remaining <= 0) {
        m_tick.stop();
        hide();
        emit signal_timeout();
    }
}

void LoadingForm::updateLabel()
{
    m_label->setText(m_remaining > 0 ? QStringLiteral("%1\n%2 s").arg(m_text).arg(m_remaining) : m_text);
}

bool LoadingForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible())
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}
