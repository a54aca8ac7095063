#include "MySnackbar.h"

#include "UiScale.h"

#include <algorithm>

namespace {
std::function<void(const QString&)>& noticeObserver()
{
    static std::function<void(const QString&)> observer;
    return observer;
}
} // namespace

void MySnackbar::setNoticeObserver(std::function<void(const QString&)> observer)
{
    noticeObserver() = std::move(observer);
}

MySnackbar::MySnackbar(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("snackbar"));
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setStyleSheet(QStringLiteral("QLabel#snackbar{background:rgba(20,24,30,220);color:#ffffff;border-radius:4px;"
                                 "padding:%1px %2px;font-size:%3px;}")
                      .arg(UiScale::px(6))
                      .arg(UiScale::px(14))
                      .arg(UiScale::fontPx(13)));
    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, [this] {
        hide();
        emit signal_hidden();
    });
    hide();
}

void MySnackbar::showMessage(const QString& text, int ms)
{
    setText(text);
    if (noticeObserver())
        noticeObserver()(text);
    placeInParent();
    show();
    raise();
    m_hideTimer.start(std::max(1, ms));
}

void MySnackbar::placeInParent()
{
    QWidget* p = parentWidget();
    if (p == nullptr)
        return;
    const int maxWidth = std::max(UiScale::px(120), p->width() * 2 / 3);
    setMaximumWidth(maxWidth);
    adjustSize();
    move((p->width() - width()) / 2, p->height() - height() - UiScale::px(40));
}
