#pragma once
#include <QString>

/// One GPIO entry of an offline device ("gpioInfoList").
struct OfflineGpio
{
    int type = 0;
    int enable = 0;
    int channelId = 0;
    QString customCmd;
    int direction = 0;
    int inputChId = 0;
    int programId = 0;
    int outputChId = 0;
    int triggerType = 0;
    int gainStepIndex = 0;
    int channelDirection = 0;

    bool operator==(const OfflineGpio& o) const
    {
        return type == o.type && enable == o.enable && channelId == o.channelId && customCmd == o.customCmd &&
               direction == o.direction && inputChId == o.inputChId && programId == o.programId &&
               outputChId == o.outputChId && triggerType == o.triggerType && gainStepIndex == o.gainStepIndex &&
               channelDirection == o.channelDirection;
    }
};
