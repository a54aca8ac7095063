#pragma once
#include "OfflineDeviceType.h"

#include <QString>
#include <QVector>

/// One category of the device-type catalogue: its names in both languages, its list icon and its types in
/// the order of its "devList.dt".
struct OfflineCategory
{
    QString dir;      ///< the category's folder name
    QString chName;   ///< "chTypeName"
    QString enName;   ///< "enTypeName"
    QString iconPath; ///< the list icon in "icon/", empty when there is none
    QVector<OfflineDeviceType> types;

    QString name(bool chinese) const { return chinese || enName.isEmpty() ? chName : enName; }
};
