#pragma once
#include <QStringList>
#include <QVector>

/// Channel names, physical gains (dB) and mutes (0/1) of an offline device ("channelData").
struct OfflineChannelData
{
    QStringList phyRxChNameList;
    QStringList phyTxChNameList;
    QStringList rxChNameList;
    QStringList txChNameList;
    QVector<double> rxPhyGainList;
    QVector<double> txPhyGainList;
    QVector<int> rxPhyMuteArray;
    QVector<int> txPhyMuteArray;

    bool operator==(const OfflineChannelData& o) const
    {
        return phyRxChNameList == o.phyRxChNameList && phyTxChNameList == o.phyTxChNameList &&
               rxChNameList == o.rxChNameList && txChNameList == o.txChNameList && rxPhyGainList == o.rxPhyGainList &&
               txPhyGainList == o.txPhyGainList && rxPhyMuteArray == o.rxPhyMuteArray &&
               txPhyMuteArray == o.txPhyMuteArray;
    }
};
