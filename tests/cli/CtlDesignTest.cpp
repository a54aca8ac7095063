// `design show|check FILE`: command lines, the listing and the findings of a design file, exit codes.
#include "CtlDesign.h"
#include "CtlExit.h"
#include "CtlOptions.h"
#include "OfflineData.h"
#include "OfflineDeviceType.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

/// Two stage boxes: B receives A's transmit 2 on its receive 3, and A's stream "Desk" (A's 1 and 2) on receive 1.
void twoDevices(OfflineData& data)
{
    OfflineDeviceType type;
    type.devModel = QStringLiteral("MRD-A16");
    type.chNumRx = type.chNumTx = 4;
    type.sampleRateList = QStringList{QStringLiteral("48000")};
    data.addDevice(OfflineDevice::fromType(type, QStringLiteral("A"), QStringLiteral("Stage")));
    data.addDevice(OfflineDevice::fromType(type, QStringLiteral("B"), QStringLiteral("Desk")));
    data.addRoute(QStringLiteral("B"), OfflineUcastRoute{QStringLiteral("A"), 1, 2});
    data.addMcast(OfflineMcast{"Desk", "239.69.0.1", 5004, 48000, 2, "A", {0, 1}, false});
    data.updateDevice(QStringLiteral("B"), [](OfflineDevice& d) {
        d.mcastRoutes().append(OfflineMcastRoute{"Desk", "A", 0, 0, "192.168.1.2", "239.69.0.1", 5004, 2, 3, 0});
    });
}

QString writeDesign(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return path;
}

TEST(CtlDesignTest, CommandLines)
{
    const struct
    {
        QStringList args;
        bool ok;
        CtlOptions::Command command;
    } cases[] = {
        {{"design", "show", "f.dt"}, true, CtlOptions::DesignShow},
        {{"design", "show", "f.dt", "--json"}, true, CtlOptions::DesignShow},
        {{"design", "check", "f.dt"}, true, CtlOptions::DesignCheckFile},
        {{"design", "check"}, false, CtlOptions::DesignCheckFile},
        {{"design", "show", "a", "b"}, false, CtlOptions::DesignShow},
        {{"design"}, false, CtlOptions::DesignShow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        CtlOptions o;
        QString error;
        EXPECT_EQ(CtlOptions::parse(c.args, &o, &error), c.ok) << error.toStdString();
        if (c.ok) {
            EXPECT_EQ(o.command, c.command);
            EXPECT_EQ(o.args.value(0), QStringLiteral("f.dt"));
        } else {
            EXPECT_EQ(CtlOptions::usageExitCode(c.args), CtlExit::kUsage);
        }
    }
}

TEST(CtlDesignTest, ShowListsDevicesRoutesAndStreams)
{
    OfflineData data;
    twoDevices(data);
    EXPECT_EQ(QString::fromUtf8(CtlDesign::showText(data, false)),
              QStringLiteral("devices (2)\n"
                             "  A  \"Stage\"  MRD-A16  rx 4  tx 4  phyRx 0  phyTx 0\n"
                             "  B  \"Desk\"  MRD-A16  rx 4  tx 4  phyRx 0  phyTx 0\n"
                             "routes (2)\n"
                             "  A:2 -> B:3  unicast\n"
                             "  A:1 -> B:1  stream Desk\n"
                             "streams (1)\n"
                             "  Desk  239.69.0.1:5004  2 ch  from A: 1,2\n"));

    const QJsonObject o = QJsonDocument::fromJson(CtlDesign::showText(data, true)).object();
    ASSERT_EQ(o[QStringLiteral("devices")].toArray().size(), 2);
    EXPECT_EQ(o[QStringLiteral("devices")].toArray()[1].toObject()[QStringLiteral("name")].toString(), "Desk");
    const QJsonArray routes = o[QStringLiteral("routes")].toArray();
    ASSERT_EQ(routes.size(), 2);
    EXPECT_EQ(routes[0].toObject()[QStringLiteral("kind")].toString(), "unicast");
    EXPECT_EQ(routes[0].toObject()[QStringLiteral("sender")].toObject()[QStringLiteral("channel")].toInt(), 2);
    EXPECT_EQ(routes[1].toObject()[QStringLiteral("stream")].toString(), "Desk");
    EXPECT_EQ(o[QStringLiteral("streams")].toArray()[0].toObject()[QStringLiteral("channels")].toArray(),
              (QJsonArray{1, 2}));
}

TEST(CtlDesignTest, ExitCodesFollowTheFile)
{
    QTemporaryDir dir;
    OfflineData clean;
    twoDevices(clean);
    OfflineData faulty;
    twoDevices(faulty);
    faulty.updateDevice(QStringLiteral("B"), [](OfflineDevice& d) {
        d.ucastRoutes().append(OfflineUcastRoute{QStringLiteral("GONE"), 0, 0});
        d.detail().sampleRate = 96000;
    });
    const struct
    {
        const char* name;
        QByteArray text; // empty: no file
        int show;
        int check;
    } cases[] = {
        {"clean.dt", clean.saveToText(), CtlExit::kOk, CtlExit::kOk},
        {"faulty.dt", faulty.saveToText(), CtlExit::kOk, CtlExit::kRefused},
        {"garbage.dt", "{\"devArray\":", CtlExit::kUsage, CtlExit::kUsage},
        {"missing.dt", QByteArray(), CtlExit::kUsage, CtlExit::kUsage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CtlOptions o;
        o.args = QStringList{c.text.isEmpty() ? dir.filePath(c.name) : writeDesign(dir, c.name, c.text)};
        EXPECT_EQ(CtlDesign::runShow(o), c.show);
        EXPECT_EQ(CtlDesign::runCheck(o), c.check);
    }

    const QByteArray lines = CtlDesign::checkText(DesignCheck::run(faulty), true);
    const QList<QByteArray> split = lines.trimmed().split('\n');
    ASSERT_EQ(split.size(), 2) << lines.toStdString();
    QStringList kinds;
    for (const QByteArray& l : split)
        kinds.append(QJsonDocument::fromJson(l).object()[QStringLiteral("kind")].toString());
    EXPECT_EQ(kinds, (QStringList{"unofferedRate", "missingDevice"}));
    EXPECT_TRUE(CtlDesign::checkText(DesignCheck::run(clean), false).isEmpty());
}

} // namespace
