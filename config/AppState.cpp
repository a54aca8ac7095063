#include "AppState.h"

namespace {
bool g_chinese = false;
int g_mode = 10;
AppConfig g_config;
} // namespace

bool AppState::isChinese()
{
    return g_chinese;
}

void AppState::setChinese(bool chinese)
{
    g_chinese = chinese;
}

int AppState::mode()
{
    return g_mode;
}

void AppState::setMode(int mode)
{
    g_mode = mode;
}

const AppConfig& AppState::config()
{
    return g_config;
}

void AppState::setConfig(const AppConfig& config)
{
    g_config = config;
}
