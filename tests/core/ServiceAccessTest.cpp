#include "FactoryAccess.h"
#include "SaltedCode.h"
#include "WaitedUdpRequest.h"

#include <QElapsedTimer>
#include <QMap>
#include <QThread>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <thread>

namespace {

// Every four-digit input, so the compiled codes are checked without the test knowing them.
QMap<FactoryAccess::Grant, QStringList> fourDigitGrants()
{
    QMap<FactoryAccess::Grant, QStringList> grants;
    for (int n = 0; n < 10000; ++n) {
        const QString code = QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
        const FactoryAccess::Grant grant = FactoryAccess::grantFor(code);
        if (grant != FactoryAccess::Grant::Refused)
            grants[grant].append(code);
    }
    return grants;
}

} // namespace

TEST(SaltedCode, MatchesOnlyTheExactCode)
{
    const QByteArray digest = SaltedCode::digestOf("salt", QStringLiteral("1234"));
    const SaltedCode code{"salt", digest.constData()};
    EXPECT_TRUE(code.matches(QStringLiteral("1234")));
    for (const char* other : {"1235", " 1234", "12345", "", "salt1234"})
        EXPECT_FALSE(code.matches(QLatin1String(other))) << other;
    EXPECT_NE(SaltedCode::digestOf("tlas", QStringLiteral("1234")), digest) << "the salt takes part";
}

TEST(FactoryAccess, CompiledCodesGrantWhatTheyShould)
{
    FactoryAccess::installTable({});
    const auto grants = fourDigitGrants();
    EXPECT_EQ(grants.value(FactoryAccess::Grant::UserMode1).size(), 2);
    EXPECT_EQ(grants.value(FactoryAccess::Grant::UserMode2).size(), 1);
    EXPECT_EQ(grants.value(FactoryAccess::Grant::UserMode0).size(), 1);
    EXPECT_TRUE(grants.value(FactoryAccess::Grant::ShowAllDevices).isEmpty()) << "that code has six digits";
    const QString mode2 = grants.value(FactoryAccess::Grant::UserMode2).value(0);
    EXPECT_EQ(FactoryAccess::grantFor(QStringLiteral(" %1\n").arg(mode2)), FactoryAccess::Grant::UserMode2)
        << "the entry is trimmed";
}

TEST(FactoryAccess, InstalledTableReplacesTheCompiledOneAndModesFollowTheGrants)
{
    const QByteArray salt = "test-salt";
    const QByteArray d1 = SaltedCode::digestOf(salt, QStringLiteral("1111"));
    const QByteArray d2 = SaltedCode::digestOf(salt, QStringLiteral("2222"));
    const QByteArray d0 = SaltedCode::digestOf(salt, QStringLiteral("0000"));
    const QByteArray dAll = SaltedCode::digestOf(salt, QStringLiteral("999999"));
    FactoryAccess::installTable({{{salt.constData(), d1.constData()}, FactoryAccess::Grant::UserMode1},
                                 {{salt.constData(), d2.constData()}, FactoryAccess::Grant::UserMode2},
                                 {{salt.constData(), d0.constData()}, FactoryAccess::Grant::UserMode0},
                                 {{salt.constData(), dAll.constData()}, FactoryAccess::Grant::ShowAllDevices}});
    EXPECT_EQ(fourDigitGrants().value(FactoryAccess::Grant::UserMode2), QStringList{QStringLiteral("2222")});

    EXPECT_FALSE(FactoryAccess::apply(FactoryAccess::grantFor(QStringLiteral("1234"))));
    EXPECT_TRUE(FactoryAccess::apply(FactoryAccess::grantFor(QStringLiteral("1111"))));
    EXPECT_EQ(FactoryAccess::userMode(), 1);
    EXPECT_FALSE(FactoryAccess::apply(FactoryAccess::grantFor(QStringLiteral("999999")))) << "the flag is no user mode";
    EXPECT_TRUE(FactoryAccess::showAllDevices());
    EXPECT_TRUE(FactoryAccess::apply(FactoryAccess::grantFor(QStringLiteral("2222"))));
    EXPECT_EQ(FactoryAccess::userMode(), 2);
    EXPECT_TRUE(FactoryAccess::showAllDevices()) << "a factory mode keeps the flag";
    EXPECT_TRUE(FactoryAccess::apply(FactoryAccess::grantFor(QStringLiteral("0000"))));
    EXPECT_EQ(FactoryAccess::userMode(), 0);
    EXPECT_FALSE(FactoryAccess::showAllDevices()) << "mode 0 clears the flag";
    FactoryAccess::installTable({});
}

// ---- Request and wait ------------------------------------------------------------------------------

TEST(WaitedUdpRequest, ReplySilenceAndSendFailure)
{
    QUdpSocket device;
    ASSERT_TRUE(device.bind(QHostAddress(QHostAddress::LocalHost), 0));
    const quint16 port = device.localPort();

    // The device answers from its own address; a stray from another port of a different address is ignored.
    std::thread answer([&device] {
        ASSERT_TRUE(device.waitForReadyRead(3000));
        QHostAddress from;
        quint16 fromPort = 0;
        QByteArray request(int(device.pendingDatagramSize()), '\0');
        device.readDatagram(request.data(), request.size(), &from, &fromPort);
        QUdpSocket stray;
        stray.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0);
        stray.writeDatagram("stray", from, fromPort);
        QThread::msleep(50);
        device.writeDatagram("answer to " + request + QByteArray(5000, 'x'), from, fromPort);
    });
    const WaitedUdpRequest::Result r = WaitedUdpRequest::send("{\"ops\":\"getCfg\"}", QHostAddress::LocalHost, port);
    answer.join();
    EXPECT_TRUE(r.answered());
    EXPECT_TRUE(r.text.startsWith(QLatin1String("answer to {\"ops\":\"getCfg\"}"))) << r.text.left(40).toStdString();
    EXPECT_EQ(r.text.toUtf8().size(), WaitedUdpRequest::kMaxReplyBytes) << "a long answer is cut";

    // Silence: every step is waited, then the routine's own text.
    QElapsedTimer clock;
    clock.start();
    const WaitedUdpRequest::Result silent = WaitedUdpRequest::send("x", QHostAddress::LocalHost, port, 20);
    EXPECT_EQ(silent.outcome, WaitedUdpRequest::Outcome::NoReturn);
    EXPECT_EQ(silent.text, QStringLiteral("No Return With 2000ms"));
    EXPECT_EQ(WaitedUdpRequest::errorText(silent), QStringLiteral("ERR:No Return With 2000ms"));
    EXPECT_GE(clock.elapsed(), 11 * 20 - 5);

    // Nothing can be sent to port 0.
    const WaitedUdpRequest::Result unsent = WaitedUdpRequest::send("x", QHostAddress::LocalHost, 0, 20);
    EXPECT_EQ(unsent.outcome, WaitedUdpRequest::Outcome::SendFail);
    EXPECT_EQ(WaitedUdpRequest::errorText(unsent), QStringLiteral("ERR:Send Fail"));
}
