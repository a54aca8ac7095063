#include "DspDefaultConfig.h"

#include "DspJsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using DspJsonText::number;

namespace {

constexpr int kMaxChannels = 512;
constexpr int kGroupCount = 16;

QJsonObject channelNode(int count)
{
    QJsonArray comms;
    QJsonArray ports;
    for (int i = 0; i < count; ++i) {
        comms.append(QJsonObject{{QStringLiteral("mute"), QStringLiteral("0")},
                                 {QStringLiteral("inverse"), QStringLiteral("0")},
                                 {QStringLiteral("gainDb"), QStringLiteral("0")},
                                 {QStringLiteral("groupId"), QStringLiteral("-1")}});
        ports.append(
            QJsonObject{{QStringLiteral("core"), QStringLiteral("-1")}, {QStringLiteral("procArr"), QJsonArray()}});
    }
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("0")},
                       {QStringLiteral("portNum"), number(count)},
                       {QStringLiteral("commArr"), comms},
                       {QStringLiteral("obj"), QJsonObject{{QStringLiteral("portArr"), ports}}}};
}

} // namespace

namespace DspDefaultConfig {

QString reply(int inputs, int outputs, int sampleRate)
{
    const int n = qBound(0, inputs, kMaxChannels);
    const int m = qBound(0, outputs, kMaxChannels);

    QJsonArray groups;
    for (int i = 0; i < kGroupCount; ++i)
        groups.append(QJsonObject{{QStringLiteral("gainDb"), QStringLiteral("0")},
                                  {QStringLiteral("mute"), QStringLiteral("0")},
                                  {QStringLiteral("name"), QString()}});

    QJsonArray gainRow;
    QJsonArray muteRow;
    for (int r = 0; r < n; ++r) {
        gainRow.append(QStringLiteral("0"));
        muteRow.append(QStringLiteral("1"));
    }
    QJsonArray columns;
    for (int c = 0; c < m; ++c)
        columns.append(QJsonObject{{QStringLiteral("mode"), QStringLiteral("0")},
                                   {QStringLiteral("gainArr"), gainRow},
                                   {QStringLiteral("muteArr"), muteRow}});
    const QJsonObject matrix{{QStringLiteral("type"), QStringLiteral("1")},
                             {QStringLiteral("portNum"), number(m)},
                             {QStringLiteral("commArr"), QJsonArray()},
                             {QStringLiteral("obj"), QJsonObject{{QStringLiteral("portArr"), columns}}}};

    const QJsonObject config{{QStringLiteral("version"), QStringLiteral("4")},
                             {QStringLiteral("sampleRate"), number(sampleRate)},
                             {QStringLiteral("customStr"), QString()},
                             {QStringLiteral("groupArr"), groups},
                             {QStringLiteral("nodeArr"), QJsonArray{channelNode(n), matrix, channelNode(m)}}};
    const QJsonObject reply{{QStringLiteral("ops"), QStringLiteral("getConfig")},
                            {QStringLiteral("result"), QStringLiteral("succ")},
                            {QStringLiteral("config"), config}};
    return QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact));
}

} // namespace DspDefaultConfig
