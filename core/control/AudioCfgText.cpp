#include "AudioCfgText.h"

#include "FactoryAccess.h"
#include "FirmwareVersion.h"

#include <QCoreApplication>

namespace AudioCfgText {

const QVector<Key>& editedKeys()
{
    static const QVector<Key> keys = {
        {"chNum_phyRx", "模拟输入通道数", Kind::Count, {}},
        {"chNum_phyTx", "模拟输出通道数", Kind::Count, {}},
        {"chNum_dspFromNet", "网络输入通道数", Kind::Count, {}},
        {"chNum_dspToNet", "网络输出通道数", Kind::Count, {}},
        {"sampleRate", "采样率", Kind::Choice, {"48000", "96000", "192000"}},
        {"fmtType", "音频格式", Kind::Choice, {"tdmI2s", "i2s", "tdm", "leftJustified"}},
        {"fmtIndex", "音频格式类型", Kind::Choice, {"0", "1", "2", "3"}},
        {"mclk", "主时钟频率", Kind::Choice, {"12288000", "24576000", "49152000"}},
        {"inv_lrclk", "左右时钟反向", Kind::Flag, {}},
        {"inv_bclk", "位时钟反向", Kind::Flag, {}},
    };
    return keys;
}

QString Lines::value(const QString& key) const
{
    for (int i = 0; i < entries.size(); ++i)
        if (hasEquals.value(i) && entries[i].first == key)
            return entries[i].second.isNull() ? QStringLiteral("") : entries[i].second;
    return QString();
}

void Lines::set(const QString& key, const QString& value)
{
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].first == key && hasEquals.value(i)) {
            entries[i].second = value;
            return;
        }
    }
    entries.append({key, value});
    hasEquals.append(true);
}

QString Lines::text() const
{
    QStringList out;
    for (int i = 0; i < entries.size(); ++i)
        out << (hasEquals.value(i) ? entries[i].first + QLatin1Char('=') + entries[i].second : entries[i].first);
    return out.join(QLatin1Char('\n'));
}

bool parse(const QString& text, Lines* out, QString* error)
{
    *out = Lines();
    if (text.toUtf8().size() > kMaxTextBytes) {
        *error = QCoreApplication::translate("AudioCfgText", "配置过长");
        return false;
    }
    Lines read;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char('\r'));
        if (line.trimmed().isEmpty())
            continue;
        if (read.entries.size() == kMaxLines) {
            *error = QCoreApplication::translate("AudioCfgText", "配置行数过多");
            return false;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) {
            read.entries.append({line, QString()});
            read.hasEquals.append(false);
            continue;
        }
        read.entries.append({line.left(eq).trimmed(), line.mid(eq + 1).trimmed()});
        read.hasEquals.append(true);
    }
    *out = read;
    return true;
}

QString check(const Lines& lines)
{
    for (const Key& k : editedKeys()) {
        const QString value = lines.value(QLatin1String(k.key));
        if (value.isNull())
            continue; // a key the device does not carry stays absent
        const QString label = QCoreApplication::translate("AudioCfgText", k.label);
        switch (k.kind) {
        case Kind::Count: {
            bool ok = false;
            const int n = value.toInt(&ok);
            if (!ok || n < 0 || n > kMaxChannels)
                return label + QStringLiteral(": 0-%1").arg(kMaxChannels);
            break;
        }
        case Kind::Choice:
            if (!k.choices.contains(value))
                return label + QStringLiteral(": ") + k.choices.join(QLatin1Char('/'));
            break;
        case Kind::Flag:
            if (value != QLatin1String("0") && value != QLatin1String("1"))
                return label + QStringLiteral(": 0/1");
            break;
        }
    }
    return QString();
}

QString editRefusal(const QString& firmware, const QString& code)
{
    if (FirmwareVersion::before(firmware, QStringLiteral("3.0.0")))
        return QCoreApplication::translate("AudioCfgText", "该设备不支持修改配置");
    if (FactoryAccess::grantFor(code) != FactoryAccess::Grant::UserMode2)
        return QCoreApplication::translate("AudioCfgText", "密码错误!");
    return QString();
}

} // namespace AudioCfgText
