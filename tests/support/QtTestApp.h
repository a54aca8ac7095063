#pragma once
#include <QCoreApplication>

/// A process-wide application object for tests that need an event loop (queued signals,
/// QSignalSpy::wait). Created on first use and kept until exit.
inline QCoreApplication* qtTestApp()
{
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
    return QCoreApplication::instance();
}
