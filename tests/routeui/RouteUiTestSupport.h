#pragma once
// Widgets need a QApplication; devices enter the registry as their announcements would bring them.
#include "RegistryFeed.h"

#include <QApplication>
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

/// A device with a 0.25 ms packet and 2 ms latency, as the network page tests read it.
inline void announce(const QString& devId, const QString& name, const QString& ip)
{
    regfeed::announce(devId, name, ip, QJsonObject{{"pFrameNum", "12"}, {"delayUs", "2000"}});
}

} // namespace routeuitest
