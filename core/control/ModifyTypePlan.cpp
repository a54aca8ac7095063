#include "ModifyTypePlan.h"

#include <QDir>

namespace ModifyTypePlan {

QString localI2sFile(const QString& appDir)
{
    return QDir(appDir).filePath(QStringLiteral("testConfig/_i2s_oem.cfg"));
}

QString localDspFile(const QString& appDir, int rate)
{
    return QDir(appDir).filePath(QStringLiteral("testConfig/defaultConfig.json-%1").arg(rate));
}

QString deviceDspPath(int rate)
{
    return QLatin1String(kDeviceDspPathPrefix) + QString::number(rate);
}

bool validName(const QString& text, int maxChars)
{
    if (text.isEmpty() || text.size() > maxChars)
        return false;
    for (const QChar c : text) {
        const bool ok =
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
            (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('_') || c == QLatin1Char('-');
        if (!ok)
            return false;
    }
    return true;
}

QString refusal(const Facts& f)
{
    if (!f.refreshed || f.devId.isEmpty() || f.ip.isEmpty())
        return QStringLiteral("设备信息未刷新，请重新点击");
    if (f.suffix.trimmed().isEmpty())
        return QStringLiteral("设备ID后缀不能为空");
    // The tool takes both as bare arguments: anything else could split or inject an argument.
    if (!validName(f.type, kMaxTypeChars) || !validName(f.suffix, kMaxSuffixChars))
        return QStringLiteral("只能包含数字、字符、-、_，长度不能超过12");
    if (f.writeI2s && !f.i2sExists)
        return QStringLiteral("I2S配置文件不存在，请拷贝配置文件到对应目录");
    if (f.writeDsp && !f.dspExists)
        return QStringLiteral("DSP配置文件不存在，请拷贝配置文件到对应目录");
    return QString();
}

QVector<Step> steps(const Facts& f)
{
    const QString two = QStringLiteral("2");
    const QString at = QStringLiteral("@");
    QVector<Step> out{
        {{QStringLiteral("1p"), two, at, f.devId, f.ip}, QStringLiteral("开启控制失败")},
        {{QStringLiteral("2p"), two, at, f.ip, f.type}, QStringLiteral("修改类型失败")},
        {{QStringLiteral("6p"), two, at, f.ip, f.type, f.suffix}, QStringLiteral("修改名称失败")},
    };
    if (f.writeI2s)
        out.append({{QStringLiteral("5p"), two, at, f.ip, f.i2sFile, QLatin1String(kDeviceI2sPath)},
                    QStringLiteral("修改I2S配置失败")});
    if (f.writeDsp)
        out.append({{QStringLiteral("7p"), two, at, f.ip, f.dspFile, deviceDspPath(f.dspRate)},
                    QStringLiteral("修改DSP配置失败")});
    return out;
}

QString busyText()
{
    return QStringLiteral("修改中...(约15秒)");
}

QString successText()
{
    return QStringLiteral("修改成功");
}

} // namespace ModifyTypePlan
