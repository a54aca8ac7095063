#include "SapMonitorView.h"

#include "UiScale.h"

SapMonitorView::SapMonitorView(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("sapMonitor"));
    setReadOnly(true);
    setMaximumBlockCount(kMaxLines);
    setGeometry(UiScale::px(1000), UiScale::px(40), UiScale::px(240), UiScale::px(500));
    QFont f(QStringLiteral("Arail"));
    f.setPixelSize(UiScale::fontPx(9));
    setFont(f);
    setStyleSheet(QStringLiteral("QPlainTextEdit#sapMonitor{background:rgba(10,12,16,190);color:#d8f0d8;"
                                 "border:1px solid #3a4452;}"));
}

void SapMonitorView::handleSapText(QString text)
{
    appendPlainText(text);
}
