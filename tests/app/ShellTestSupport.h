#pragma once
#include "TestAnnouncement.h"
// Fixture for the main window's tests: a fresh registry and store, a temporary application folder holding the
// built translations, and a window whose network thread never starts; sent datagrams are captured.

#include "AppState.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "MainWindow.h"
#include "NetStateForm.h"

#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

inline QApplication* shellTestApp()
{
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-shell-test";
        static char* argv[] = {name, nullptr};
        static QApplication app(argc, argv);
    }
    return qobject_cast<QApplication*>(QApplication::instance());
}

struct CapturedDatagram
{
    QByteArray bytes;
    uint32_t ip;
    uint16_t port;
};

class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shellTestApp();
        ASSERT_TRUE(m_dir.isValid());
        for (const char* qm : {"qt_cn.qm", "qt_en.qm"})
            QFile::copy(QStringLiteral(MERIDANE_QM_DIR "/") + qm, m_dir.path() + "/" + qm);
        dvm_resetForTest();
        DevDetailStore::instance().clear();
        AppState::setMode(10);
        AppState::setConfig(AppConfig::fromText(configText()));
    }
    void TearDown() override
    {
        m_window.reset();
        dvm_setSendHook(nullptr, nullptr);
        dvm_resetForTest();
        DevDetailStore::instance().clear();
        AppState::setConfig(AppConfig());
        AppState::setChinese(false);
    }

    virtual QString configText() const { return QStringLiteral("Title=Meridane\nCanSwitchLanguage=1\n"); }

    MainWindow* window(bool startNetwork = false)
    {
        if (!m_window) {
            MainWindow::Setup setup;
            setup.appDir = m_dir.path();
            setup.startNetwork = startNetwork;
            m_window = std::make_unique<MainWindow>(setup);
            m_window->netStateForm()->setProbeOnRefresh(false);
            // The network thread registered itself as sender; the tests take its place.
            dvm_setSendHook(&ShellTest::onSend, this);
        }
        return m_window.get();
    }

    static int onSend(void* ctx, const char* data, int length, uint32_t ip, uint16_t port)
    {
        static_cast<ShellTest*>(ctx)->sent.push_back({QByteArray(data, length), ip, port});
        return length;
    }

    /// A complete announcement of a 16/16 stagebox.
    static QJsonObject announcement(const QString& devId, const QString& name, const QString& ip)
    {
        return testAnnouncement(devId, name, ip);
    }
    static int announce(const QJsonObject& o)
    {
        const QByteArray bytes = QJsonDocument(o).toJson(QJsonDocument::Compact);
        return userCallLib_handleUdp_mcast(bytes.constData(), bytes.size(), dvm_parseIp(o.value("ip").toString()),
                                           9996);
    }

    QString appDir() const { return m_dir.path(); }

    std::vector<CapturedDatagram> sent;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<MainWindow> m_window;
};
