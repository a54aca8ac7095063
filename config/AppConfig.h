#pragma once
#include <QString>

#include <array>

/// The contents of the application's "appConfig.txt": the main window's title, the feature switches that hide
/// or offer parts of the user interface, and the information panel's text in both languages.
///
/// The file is a vendor-edited text file: every line "key=value" may set a switch, the first line's value is
/// the title, and the text between "#" marks is the information text (English, then Chinese).
class AppConfig
{
public:
    /// Feature switches; each is false unless the file sets it.
    enum class Switch
    {
        CanShow,           ///< the information panel is shown
        CanJump,           ///< the information text's link is clickable
        CanShowOffline,    ///< the offline workspace is offered
        CanShowHelp,       ///< the help button is offered
        CanSwitchLanguage, ///< the language button is offered; otherwise the interface is English
        CanEditDevType,    ///< the device-type control of the device settings is shown
        CanResetFactory,   ///< the factory-reset control of the factory test is shown
        CanCtrl8,          ///< Ctrl+8 in a device window is honoured outside the offline workspace
        CanShowVolume,     ///< the volume controls of the device settings are shown
        CanAlwaysShowDiy,  ///< an option of the signal diagram
    };
    static constexpr int kSwitchCount = int(Switch::CanAlwaysShowDiy) + 1;

    /// Empty configuration: no title, every switch off, no information text.
    AppConfig() = default;

    /// Parses the file's whole text.
    static AppConfig fromText(const QString& text);
    /// Reads the file as UTF-8 (a leading byte-order mark is dropped); a file that cannot be read gives the
    /// empty configuration. Read as bytes: line ends are kept as written.
    static AppConfig fromFile(const QString& path);

    /// The value of the first line (everything after its first "=", untrimmed: a CRLF file keeps the "\r");
    /// empty when the first line has no "=".
    QString title() const { return m_title; }
    /// The first line's key (text before its first "="), only ever logged.
    QString titleKey() const { return m_titleKey; }

    bool isOn(Switch s) const { return m_switches[size_t(s)]; }
    bool canShow() const { return isOn(Switch::CanShow); }
    bool canJump() const { return isOn(Switch::CanJump); }
    bool canShowOffline() const { return isOn(Switch::CanShowOffline); }
    bool canShowHelp() const { return isOn(Switch::CanShowHelp); }
    bool canSwitchLanguage() const { return isOn(Switch::CanSwitchLanguage); }
    bool canEditDevType() const { return isOn(Switch::CanEditDevType); }
    bool canResetFactory() const { return isOn(Switch::CanResetFactory); }
    bool canCtrl8() const { return isOn(Switch::CanCtrl8); }
    bool canShowVolume() const { return isOn(Switch::CanShowVolume); }
    bool canAlwaysShowDiy() const { return isOn(Switch::CanAlwaysShowDiy); }
    /// The key that sets `s` in the file, e.g. "CanShowOffline".
    static QString switchKey(Switch s);

    /// The language the interface may use: the stored choice, unless language switching is not offered.
    bool effectiveChinese(bool storedChinese) const { return storedChinese && isOn(Switch::CanSwitchLanguage); }

    /// The information text of one language as rich text: line ends as "<br>", and when CanJump is on the link
    /// as an anchor. Empty when the file has no such text.
    QString infoText(bool chinese) const;
    /// The link of one language's information text (after "InterLinkage: " or "链接: ", trimmed); empty if none.
    QString infoLink(bool chinese) const;

private:
    void parseSwitchLine(QString line);

    QString m_titleKey;
    QString m_title;
    std::array<bool, kSwitchCount> m_switches{};
    QString m_infoEn;
    QString m_infoZh;
};
