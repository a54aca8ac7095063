#pragma once
#include <QString>
#include <QStringList>

/// The processor's own description from the version reply (and the custom text from its own request).
struct DspInfo
{
    /// Most channels a side may report; the reply comes from the network, and counts are subtracted from it.
    static constexpr int kMaxChannels = 4096;

    QString version;
    QString dspVer;
    QString model;
    QString memory;
    QString customStr;
    int chNumIn = 0;
    int chNumOut = 0;
    QStringList funcList;
};
