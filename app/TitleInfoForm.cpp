#include "TitleInfoForm.h"

#include "AppConfig.h"
#include "UiScale.h"

TitleInfoForm::TitleInfoForm(const AppConfig& config, QWidget* parent) : QLabel(parent), m_config(config)
{
    setObjectName(QStringLiteral("titleInfo"));
    setTextFormat(Qt::RichText);
    setWordWrap(true);
    const bool canJump = m_config.isOn(AppConfig::Switch::CanJump);
    setOpenExternalLinks(canJump);
    setTextInteractionFlags(canJump ? Qt::TextBrowserInteraction : Qt::NoTextInteraction);
    setStyleSheet(QStringLiteral("QLabel#titleInfo{color:#9fb0c3;background:#1a1f26;padding:%1px %2px;"
                                 "font-size:%3px;}")
                      .arg(UiScale::px(4))
                      .arg(UiScale::px(10))
                      .arg(UiScale::fontPx(11)));
    setLanguage(false);
}

void TitleInfoForm::setLanguage(bool chinese)
{
    const QString text = m_config.infoText(chinese);
    setText(text);
    setVisible(m_config.isOn(AppConfig::Switch::CanShow) && !text.isEmpty());
}
