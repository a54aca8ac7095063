#include "StyledButton.h"

#include "UiScale.h"

StyledButton::StyledButton(const QString& text, Role role, QWidget* parent) : QPushButton(text, parent), m_role(role)
{
    setCheckable(role == Page);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(styleSheetFor(role));
    switch (role) {
    case Page:
        setMinimumSize(UiScale::px(96), UiScale::px(30));
        break;
    case Menu:
        setMinimumHeight(UiScale::px(26));
        break;
    case Title:
        setFixedSize(UiScale::px(28), UiScale::px(24));
        break;
    case Action:
        setMinimumSize(UiScale::px(72), UiScale::px(26));
        break;
    }
}

QString StyledButton::styleSheetFor(Role role)
{
    const int font = UiScale::fontPx(12);
    switch (role) {
    case Page:
        return QStringLiteral("QPushButton{color:#c8d0dc;background:transparent;border:none;font-size:%1px;"
                              "border-bottom:2px solid transparent;}"
                              "QPushButton:hover{color:#ffffff;}"
                              "QPushButton:checked{color:#00aaff;border-bottom:2px solid #00aaff;}")
            .arg(font);
    case Menu:
        return QStringLiteral("QPushButton{color:#c8d0dc;background:transparent;border:none;font-size:%1px;"
                              "padding:0 %2px;}QPushButton:hover{color:#ffffff;background:#2c3440;}")
            .arg(font)
            .arg(UiScale::px(8));
    case Title:
        return QStringLiteral("QPushButton{color:#c8d0dc;background:transparent;border:none;font-size:%1px;}"
                              "QPushButton:hover{background:#3a4452;}")
            .arg(UiScale::fontPx(14));
    case Action:
        break;
    }
    return QStringLiteral("QPushButton{color:#ffffff;background:#0a84c6;border:none;border-radius:3px;"
                          "font-size:%1px;padding:0 %2px;}QPushButton:hover{background:#1c96d8;}"
                          "QPushButton:disabled{background:#4a5360;color:#9aa3ad;}")
        .arg(font)
        .arg(UiScale::px(10));
}
