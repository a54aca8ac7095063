#include "McastCreateTexts.h"

#include <QCoreApplication>

namespace {

// The stream view's catalogue context: its translations serve these texts too.
QString tr(const char* text)
{
    return QCoreApplication::translate("McastCreateTexts", text);
}

QString pick(bool chinese, const char* zh, const char* en)
{
    return chinese ? QString::fromUtf8(zh) : QString::fromUtf8(en);
}

} // namespace

QString McastCreateTexts::failure(McastCreateChecks::Failure failure, bool chinese)
{
    switch (failure) {
    case McastCreateChecks::EmptyName:
        return tr("组播流名称不能为空");
    case McastCreateChecks::NoChannel:
        return tr("至少选中一个通道加入组播流");
    case McastCreateChecks::TooManyChannels:
        return pick(chinese, "单个组播流最多支持8个通道",
                    "A single multicast stream supports up to 8 channels maximum");
    case McastCreateChecks::WrongIp:
        return pick(chinese, "请输入正确的IP, 范围: 224.0.0.0~239.255.255.255",
                    "Wrong IP, range: 224.0.0.0~239.255.255.255");
    case McastCreateChecks::WrongPort:
        return pick(chinese, "请输入正确的端口，范围: 1024~65534", "Wrong Port, range: 1024~65534");
    case McastCreateChecks::IpNotFilled:
        return tr("请输入正确的ip");
    case McastCreateChecks::PortNotFilled:
        return tr("请输入端口号");
    case McastCreateChecks::NoFreeAddress:
        return tr("没有可用的组播地址");
    default:
        return QString();
    }
}

QString McastCreateTexts::deleteQuestion()
{
    return tr("删除组播流？");
}
