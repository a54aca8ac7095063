#pragma once
// Widgets need a QApplication; devices enter the registry as their announcements would bring them.
#include "DevManager.h"

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

namespace routeuitest {

inline QApplication* app()
{
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-routeui-test";
        static char* argv[] = {name, nullptr};
        // Never destroyed: tearing it down among other statics at exit only produces noise.
        new QApplication(argc, argv);
    }
    return qobject_cast<QApplication*>(QApplication::instance());
}

/// Fixtures holding widgets as members derive from this: the application exists before they do.
class WidgetTest : public ::testing::Test
{
protected:
    WidgetTest() { app(); }
};

inline void announce(const QString& devId, const QString& name, const QString& ip,
                     const QString& model = QStringLiteral("MRD-A16"))
{
    const QByteArray msg = QStringLiteral(R"({"ops":"iAmVeranto","devId":"%1","name":"%2","ip":"%3","port":"9990",)"
                                          R"("chNumRx":"2","chNumTx":"2","phyChNumRx":"0","phyChNumTx":"0",)"
                                          R"("canWork":"1","model":"%4","myClkId":"00-1D-C1-FF-FE-12-34-56",)"
                                          R"("sampleRate":"48000","pFrameNum":"12","delayUs":"2000"})")
                               .arg(devId, name, ip, model)
                               .toUtf8();
    userCallLib_handleUdp_mcast(msg.constData(), msg.size(), dvm_parseIp(ip), 9996);
}

} // namespace routeuitest
