#include "LevelNameTips.h"

#include <QCoreApplication>

namespace LevelNameTips {

QString tipFor(NameRules::Verdict verdict)
{
    switch (verdict) {
    case NameRules::Empty:
        return QCoreApplication::translate("LevelNameTips", "设置失败,名字不能为空");
    case NameRules::SpecialChar:
        return QCoreApplication::translate("LevelNameTips", "设置失败,名字不能有特殊字符");
    case NameRules::TooLong:
        return QCoreApplication::translate("LevelNameTips", "设置失败,名字不能太长");
    default:
        return QString();
    }
}

} // namespace LevelNameTips
