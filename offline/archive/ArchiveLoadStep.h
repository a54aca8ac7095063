#pragma once
#include "ArchiveCategory.h"

#include <QString>

#include <cstdint>

/// One request of a load, with where it goes and how its success is reported.
struct ArchiveLoadStep
{
    ArchiveCategory category = ArchiveCategory::DeviceName;
    QString request;  ///< compact JSON, every value as text
    uint32_t ip = 0;  ///< host order
    quint16 port = 0; ///< UDP port; ignored for the processor link
    bool tcp = false; ///< over the processor's TCP link
    int timeoutMs = 1000;
    QString successText; ///< "设置名字成功", "保存第1配置成功", ...
};
