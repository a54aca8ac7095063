#include "DevManager.h"

#include <atomic>

namespace {
// Hook and context are set before traffic flows; atomics keep a late change free of data races.
std::atomic<DvmNotifyHook> g_notifyHook{nullptr};
std::atomic<void*> g_notifyCtx{nullptr};
std::atomic<DvmSendHook> g_sendHook{nullptr};
std::atomic<void*> g_sendCtx{nullptr};
} // namespace

void dvm_setNotifyHook(DvmNotifyHook hook, void* ctx)
{
    g_notifyCtx.store(ctx);
    g_notifyHook.store(hook);
}

void dvm_setSendHook(DvmSendHook hook, void* ctx)
{
    g_sendCtx.store(ctx);
    g_sendHook.store(hook);
}

void libCallUser_notify(const QJsonObject& msg)
{
    const DvmNotifyHook hook = g_notifyHook.load();
    if (hook)
        hook(g_notifyCtx.load(), msg);
}

int libCallUser_sendUdp(const char* data, int length, uint32_t ip, uint16_t port)
{
    const DvmSendHook hook = g_sendHook.load();
    if (!hook)
        return -1;
    return hook(g_sendCtx.load(), data, length, ip, port);
}
