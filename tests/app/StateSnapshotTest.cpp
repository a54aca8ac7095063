#include "StateSnapshot.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

DevDetail_t device(const QString& devId, const QString& name, uint32_t ip)
{
    DevDetail_t d;
    d.devId = devId;
    d.name = name;
    d.ip = ip;
    d.rxChNames = DevDetail_t::numberedNames(QStringLiteral("NetIn"), 2);
    d.txChNames = QStringList({QStringLiteral("Lectern"), QStringLiteral("Ambience")});
    d.phyRxChNames = DevDetail_t::numberedNames(QStringLiteral("AnalogIn"), 1);
    d.model = QStringLiteral("MRD-A16");
    d.type = QStringLiteral("Stagebox A16");
    d.macText = QStringLiteral("00:1D:C1:00:00:0B");
    d.firmwareVersion = QStringLiteral("1.8.2");
    d.temperature = QStringLiteral("45120");
    d.routeLock = 1;
    d.passwordSet = 1;
    return d;
}

QJsonObject readBack(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &err);
    EXPECT_EQ(err.error, QJsonParseError::NoError) << err.errorString().toStdString();
    return doc.object();
}

StateSnapshot::Input twoDevices()
{
    StateSnapshot::Input in;
    in.boundIp = 0x0A4D0001;
    in.dialogVisible = true;
    in.selectedIp = QStringLiteral("10.77.0.1");
    in.addresses = QStringList({QStringLiteral("10.77.0.1"), QStringLiteral("10.77.0.2")});
    in.devices = {device("MD-0A4D000B", "Alpha", 0x0A4D000B), device("MRP-0A4D000C", "Beta", 0x0A4D000C)};
    in.secondaryUnits.insert(QStringLiteral("MRP-0A4D000C"), 0x0A4D0017);
    return in;
}

TEST(StateSnapshot, CarriesWindowStateAndEveryDeviceInListOrder)
{
    const QJsonObject o = StateSnapshot::toJson(twoDevices());
    EXPECT_EQ(o.value("boundIp").toString(), "10.77.0.1");
    EXPECT_TRUE(o.value("dialogVisible").toBool());
    EXPECT_EQ(o.value("selectedIp").toString(), "10.77.0.1");
    EXPECT_EQ(o.value("addresses").toArray(), QJsonArray({"10.77.0.1", "10.77.0.2"}));
    EXPECT_EQ(o.value("secondaryUnits").toObject(), QJsonObject({{"MRP-0A4D000C", "10.77.0.23"}}));

    const QJsonArray devices = o.value("devices").toArray();
    ASSERT_EQ(devices.size(), 2);
    EXPECT_EQ(devices[0].toObject().value("devId").toString(), "MD-0A4D000B");
    const QJsonObject beta = devices[1].toObject();
    EXPECT_EQ(beta.value("name").toString(), "Beta");
    EXPECT_EQ(beta.value("ip").toString(), "10.77.0.12");
    EXPECT_EQ(beta.value("rxChNames").toArray(), QJsonArray({"NetIn1", "NetIn2"}));
    EXPECT_EQ(beta.value("txChNames").toArray(), QJsonArray({"Lectern", "Ambience"}));
    EXPECT_EQ(beta.value("phyRxChNames").toArray(), QJsonArray({"AnalogIn1"}));
    EXPECT_EQ(beta.value("phyTxChNames").toArray(), QJsonArray());
    EXPECT_EQ(beta.value("model").toString(), "MRD-A16");
    EXPECT_EQ(beta.value("type").toString(), "Stagebox A16");
    EXPECT_EQ(beta.value("macText").toString(), "00:1D:C1:00:00:0B");
    EXPECT_EQ(beta.value("firmwareVersion").toString(), "1.8.2");
    EXPECT_EQ(beta.value("temperature").toString(), "45120");
    EXPECT_EQ(beta.value("routeLock").toInt(), 1);
    EXPECT_EQ(beta.value("passwordSet").toInt(), 1);
}

TEST(StateSnapshot, NoBoundAddressIsEmptyTextAndDevicesKeepTheDottedForm)
{
    StateSnapshot::Input in;
    in.devices = {device("MD-1", "Unaddressed", 0)};
    const QJsonObject o = StateSnapshot::toJson(in);
    EXPECT_EQ(o.value("boundIp").toString("missing"), "");
    EXPECT_FALSE(o.value("dialogVisible").toBool(true));
    EXPECT_EQ(o.value("addresses").toArray(), QJsonArray());
    EXPECT_EQ(o.value("devices").toArray()[0].toObject().value("ip").toString("missing"), "0.0.0.0");
    EXPECT_TRUE(o.value("secondaryUnits").toObject().isEmpty());
}

TEST(StateSnapshot, WrittenWholeAndReplacedWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("state.json");
    ASSERT_TRUE(StateSnapshot::write(path, twoDevices()));
    EXPECT_EQ(readBack(path), StateSnapshot::toJson(twoDevices()));

    // A shorter snapshot leaves no tail of the longer one behind.
    StateSnapshot::Input empty;
    ASSERT_TRUE(StateSnapshot::write(path, empty));
    EXPECT_EQ(readBack(path), StateSnapshot::toJson(empty));
    // Nothing but the snapshot itself stays in the folder (no temporary files left over).
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"state.json"}));
}

TEST(StateSnapshot, UnwritableFileKeepsTheEarlierSnapshot)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_FALSE(StateSnapshot::write(QString(), twoDevices()));
    EXPECT_FALSE(StateSnapshot::write(dir.filePath("missing/state.json"), twoDevices()));

    const QString path = dir.filePath("state.json");
    ASSERT_TRUE(StateSnapshot::write(path, twoDevices()));
    // A folder where the file should be: nothing is written, and the first file is untouched.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken"));
    EXPECT_FALSE(StateSnapshot::write(dir.filePath("taken"), StateSnapshot::Input()));
    EXPECT_EQ(readBack(path), StateSnapshot::toJson(twoDevices()));
}

TEST(StateSnapshot, FileNamedByTheEnvironment)
{
    qunsetenv(StateSnapshot::kFileVariable);
    EXPECT_TRUE(StateSnapshot::fileFromEnvironment().isEmpty());
    qputenv(StateSnapshot::kFileVariable, "/tmp/meridane-state.json");
    EXPECT_EQ(StateSnapshot::fileFromEnvironment(), "/tmp/meridane-state.json");
    qunsetenv(StateSnapshot::kFileVariable);
}

} // namespace
