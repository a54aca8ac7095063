<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB">
<context>
    <name>DevListForm</name>
    <message>
        <source>设备列表 (%1)</source>
        <translation>Devices (%1)</translation>
    </message>
    <message>
        <source>设备名称</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>设备类型</source>
        <translation>Device type</translation>
    </message>
</context>
<context>
    <name>FormNetTitle</name>
    <message>
        <source>设备名称</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>设备类型</source>
        <translation>Device type</translation>
    </message>
    <message>
        <source>设备ID</source>
        <translation>Device ID</translation>
    </message>
    <message>
        <source>网络延迟</source>
        <translation>Network latency</translation>
    </message>
    <message>
        <source>运行时间</source>
        <translation>Running time</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>Ascending</source>
        <translation>Ascending</translation>
    </message>
    <message>
        <source>Descending</source>
        <translation>Descending</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>升级程序不可用</source>
        <translation>The upgrade program is not available</translation>
    </message>
    <message>
        <source>离线模式</source>
        <translation>Offline mode</translation>
    </message>
    <message>
        <source>是否进入离线模式？</source>
        <translation>Enter offline mode?</translation>
    </message>
    <message>
        <source>是否加载上次保存？</source>
        <translation>Load the last saved configuration?</translation>
    </message>
    <message>
        <source>离线工作区暂不可用</source>
        <translation>The offline workspace is not available yet</translation>
    </message>
    <message>
        <source>设备路由</source>
        <translation>Routing</translation>
    </message>
    <message>
        <source>设备参数</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>设备电平</source>
        <translation>Levels</translation>
    </message>
    <message>
        <source>无法打开帮助文档</source>
        <translation>The help document cannot be opened</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>输入密码:</source>
        <translation>Enter password:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>测试工具暂不可用</source>
        <translation>The test tool is not available yet</translation>
    </message>
</context>
<context>
    <name>SelectNetDialog</name>
    <message>
        <source>设置网卡</source>
        <translation>Network adapter</translation>
    </message>
    <message>
        <source>请选择网卡</source>
        <translation>Please choose a network adapter</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TopMenuForm</name>
    <message>
        <source>请先退出离线模式再切换翻译</source>
        <translation>Please leave offline mode before switching the language</translation>
    </message>
    <message>
        <source>设置网卡</source>
        <translation>Network adapter</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>UpgradeFirmware</source>
        <translation>UpgradeFirmware</translation>
    </message>
    <message>
        <source>维护工具</source>
        <translation>Maintenance tool</translation>
    </message>
    <message>
        <source>离线设计</source>
        <translation>Offline design</translation>
    </message>
    <message>
        <source>设备路由</source>
        <translation>Routing</translation>
    </message>
    <message>
        <source>设备参数</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>网络信息</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>设备电平</source>
        <translation>Levels</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
</context>
</TS>
