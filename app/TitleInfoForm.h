#pragma once
#include <QLabel>

class AppConfig;

/// The information panel under the top menu: the vendor's text from "appConfig.txt" in the current language,
/// shown only when the file switches it on; its link opens in the browser only when allowed.
class TitleInfoForm : public QLabel
{
    Q_OBJECT
public:
    /// `config` is kept by reference and must outlive the panel.
    explicit TitleInfoForm(const AppConfig& config, QWidget* parent = nullptr);

    /// Shows the text of that language (hidden when the panel is switched off or the text is empty).
    void setLanguage(bool chinese);

private:
    const AppConfig& m_config;
};
