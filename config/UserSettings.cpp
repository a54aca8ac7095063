#include "UserSettings.h"

namespace {
const QString kLanguageKey = QStringLiteral("Langue");
const QString kLastDirKey = QStringLiteral("lastCfgDirPath");
} // namespace

UserSettings::UserSettings(const QString& userConfigPath, const QString& configPath)
    : m_userConfig(userConfigPath), m_config(configPath)
{
}

UserSettings UserSettings::forApplication(const QString& appDir)
{
    return UserSettings(appDir + QStringLiteral("/UserConfig.ini"), QStringLiteral("./Config.ini"));
}

bool UserSettings::isChinese() const
{
    return m_userConfig.value(kLanguageKey).toString() == QLatin1String("chs");
}

bool UserSettings::setChinese(bool chinese)
{
    return m_userConfig.setValue(kLanguageKey, chinese ? QStringLiteral("chs") : QStringLiteral("en"));
}

QString UserSettings::lastCfgDirPath() const
{
    const QString dir = m_config.value(kLastDirKey).toString();
    return dir.isEmpty() ? QStringLiteral(".") : dir;
}

bool UserSettings::setLastCfgDirPath(const QString& dir)
{
    return m_config.setValue(kLastDirKey, dir);
}
