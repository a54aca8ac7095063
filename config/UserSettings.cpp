#include "UserSettings.h"

#include <algorithm>
#include <cmath>

namespace {
const QString kLanguageKey = QStringLiteral("Langue");
const QString kLastDirKey = QStringLiteral("lastCfgDirPath");
const QString kTestDotsKey = QStringLiteral("_testDots");
const QString kTestDots2Key = QStringLiteral("_testDots2");
const QString kTestReductKey = QStringLiteral("_testReductVal");
const QString kTestHasSignalKey = QStringLiteral("_testHasSignalVal");
constexpr double kMinThresholdDb = -120.0;
constexpr double kMaxThresholdDb = 0.0;
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

int UserSettings::dots(const QString& key, int fallback) const
{
    bool ok = false;
    const int v = m_userConfig.value(key).toString().trimmed().toInt(&ok);
    return ok ? std::clamp(v, 0, kMaxTestDots) : fallback;
}

double UserSettings::threshold(const QString& key, double fallback) const
{
    bool ok = false;
    const double v = m_userConfig.value(key).toString().trimmed().toDouble(&ok);
    // A hand-edited "nan" or "inf" would make every comparison of the tool meaningless.
    return ok && std::isfinite(v) ? std::clamp(v, kMinThresholdDb, kMaxThresholdDb) : fallback;
}

int UserSettings::testDots(int fallback) const
{
    return dots(kTestDotsKey, fallback);
}

bool UserSettings::setTestDots(int dots)
{
    return m_userConfig.setValue(kTestDotsKey, QString::number(dots));
}

int UserSettings::testDots2(int fallback) const
{
    return dots(kTestDots2Key, fallback);
}

bool UserSettings::setTestDots2(int dots)
{
    return m_userConfig.setValue(kTestDots2Key, QString::number(dots));
}

double UserSettings::testReductVal(double fallback) const
{
    return threshold(kTestReductKey, fallback);
}

bool UserSettings::setTestReductVal(double db)
{
    return m_userConfig.setValue(kTestReductKey, QString::number(db, 'f', 1));
}

double UserSettings::testHasSignalVal(double fallback) const
{
    return threshold(kTestHasSignalKey, fallback);
}

bool UserSettings::setTestHasSignalVal(double db)
{
    return m_userConfig.setValue(kTestHasSignalKey, QString::number(db, 'f', 1));
}
