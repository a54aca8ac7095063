<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB">
<context>
    <name>AddressChecks</name>
    <message>
        <source>ip不能为空</source>
        <translation>IP cannot be empty</translation>
    </message>
    <message>
        <source>子网掩码不能为空</source>
        <translation>Subnet mask cannot be empty</translation>
    </message>
    <message>
        <source>DNS不能为空</source>
        <translation>DNS cannot be empty</translation>
    </message>
    <message>
        <source>网关不能为空</source>
        <translation>Gateway cannot be empty</translation>
    </message>
    <message>
        <source>请输入正确的IP，范围0-255</source>
        <translation>Enter a valid IP, parts 0-255</translation>
    </message>
    <message>
        <source>请输入正确的IP2，范围0-255</source>
        <translation>Enter a valid IP2, parts 0-255</translation>
    </message>
    <message>
        <source>请输入正确的IP3，范围0-255</source>
        <translation>Enter a valid IP3, parts 0-255</translation>
    </message>
    <message>
        <source>请输入正确的子网掩码，范围0-255</source>
        <translation>Enter a valid subnet mask, parts 0-255</translation>
    </message>
    <message>
        <source>请输入正确的DNS，范围0-255</source>
        <translation>Enter a valid DNS, parts 0-255</translation>
    </message>
    <message>
        <source>请输入正确的网关，范围0-255</source>
        <translation>Enter a valid gateway, parts 0-255</translation>
    </message>
    <message>
        <source>IP地址未修改</source>
        <translation>IP address not changed</translation>
    </message>
</context>
<context>
    <name>AudioFormatControl</name>
    <message>
        <source>设置失败</source>
        <translation>Setting failed</translation>
    </message>
    <message>
        <source>切换采样率将加载采样率对应默认配置,是否切换?</source>
        <translation>Switching the sample rate loads that rate&apos;s default configuration. Switch?</translation>
    </message>
    <message>
        <source>重启设备才可生效，是否修改并重启？</source>
        <translation>Takes effect after a restart. Change and restart?</translation>
    </message>
    <message>
        <source>网络延时不能小于包时间的4倍,请先修改网络延时</source>
        <translation>The network delay cannot be less than 4 times the packet time; change the network delay first</translation>
    </message>
    <message>
        <source>网络延时不能小于包时间的4倍</source>
        <translation>The network delay cannot be less than 4 times the packet time</translation>
    </message>
</context>
<context>
    <name>CellRouteForm</name>
    <message>
        <source>Find sender</source>
        <translation>Find sender</translation>
    </message>
    <message>
        <source>Find receiver</source>
        <translation>Find receiver</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Question</source>
        <translation>Question</translation>
    </message>
</context>
<context>
    <name>ChannelNameTable</name>
    <message>
        <source>通道名称</source>
        <translation>Channel name</translation>
    </message>
    <message>
        <source>通道</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>网络接收</source>
        <translation>Network in</translation>
    </message>
    <message>
        <source>网络发送</source>
        <translation>Network out</translation>
    </message>
    <message>
        <source>设置失败</source>
        <translation>Setting failed</translation>
    </message>
</context>
<context>
    <name>ClockForm</name>
    <message>
        <source>修改失败</source>
        <translation>Change failed</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
</context>
<context>
    <name>DevDspDialog</name>
    <message>
        <source>(音频处理)</source>
        <translation>(Audio processing)</translation>
    </message>
    <message>
        <source>连接已断开</source>
        <translation>Connection lost</translation>
    </message>
    <message>
        <source>主页</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>流程图</source>
        <translation>Diagram</translation>
    </message>
    <message>
        <source>通道音量</source>
        <translation>Channel volume</translation>
    </message>
    <message>
        <source>矩阵</source>
        <translation>Matrix</translation>
    </message>
    <message>
        <source>场景</source>
        <translation>Scenes</translation>
    </message>
    <message>
        <source>程式管理</source>
        <translation>Programs</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>Not connected</translation>
    </message>
</context>
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
    <name>DevVolumeForm</name>
    <message>
        <source>设备名称</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>模拟输入(dBFS)</source>
        <translation>Analog In (dBFS)</translation>
    </message>
    <message>
        <source>模拟输出(dBFS)</source>
        <translation>Analog Out (dBFS)</translation>
    </message>
    <message>
        <source>网络输入(dBFS)</source>
        <translation>Net In (dBFS)</translation>
    </message>
    <message>
        <source>网络输出(dBFS)</source>
        <translation>Net Out (dBFS)</translation>
    </message>
</context>
<context>
    <name>DevWin</name>
    <message>
        <source>设备</source>
        <translation>Device</translation>
    </message>
    <message>
        <source> 离线模式</source>
        <translation> Offline mode</translation>
    </message>
    <message>
        <source>disconnected</source>
        <translation>disconnected</translation>
    </message>
    <message>
        <source>请稍候...</source>
        <translation>Please wait...</translation>
    </message>
</context>
<context>
    <name>DeviceAddressPanel</name>
    <message>
        <source>自动获取</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>手动设置</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>IP模式</source>
        <translation>IP mode</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <translation>Subnet mask</translation>
    </message>
    <message>
        <source>网关</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>修改IP</source>
        <translation>Change IP</translation>
    </message>
    <message>
        <source>重置IP</source>
        <translation>Reset IP</translation>
    </message>
    <message>
        <source>ip地址和子网掩码可能不匹配，是否确认修改？</source>
        <translation>The IP address and subnet mask may not match. Change anyway?</translation>
    </message>
    <message>
        <source>是否切换到自动ip？</source>
        <translation>Switch to automatic IP?</translation>
    </message>
    <message>
        <source>设置固定IP地址为:</source>
        <translation>Set the fixed IP address to: </translation>
    </message>
    <message>
        <source>, 是否确认？</source>
        <translation>, confirm?</translation>
    </message>
    <message>
        <source>重置IP后，请手动刷新设备列表</source>
        <translation>After resetting the IP, refresh the device list by hand</translation>
    </message>
</context>
<context>
    <name>DeviceWindow</name>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>设备配置</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <source>默认配置</source>
        <translation>Default DSP</translation>
    </message>
    <message>
        <source>音频处理</source>
        <translation>Audio processing</translation>
    </message>
    <message>
        <source>通道音量</source>
        <translation>Channel levels</translation>
    </message>
    <message>
        <source>延时统计</source>
        <translation>Delay statistics</translation>
    </message>
    <message>
        <source>时钟日志</source>
        <translation>Clock log</translation>
    </message>
    <message>
        <source>测试</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>设备设置</source>
        <translation>Device settings</translation>
    </message>
    <message>
        <source>设备名称</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>采样率</source>
        <translation>Sample rate</translation>
    </message>
    <message>
        <source>包时间</source>
        <translation>Packet time</translation>
    </message>
    <message>
        <source>网络延时</source>
        <translation>Network delay</translation>
    </message>
    <message>
        <source>采样位深</source>
        <translation>Bit depth</translation>
    </message>
    <message>
        <source>设备信息</source>
        <translation>Device info</translation>
    </message>
    <message>
        <source>修改类型</source>
        <translation>Edit type</translation>
    </message>
    <message>
        <source>锁定管理</source>
        <translation>Lock management</translation>
    </message>
    <message>
        <source>重启设备</source>
        <translation>Restart device</translation>
    </message>
    <message>
        <source>网络设置</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>通道名称</source>
        <translation>Channel name</translation>
    </message>
    <message>
        <source>串口透传</source>
        <translation>Serial tunnel</translation>
    </message>
    <message>
        <source>型号: </source>
        <translation>Model: </translation>
    </message>
    <message>
        <source>固件版本: </source>
        <translation>Firmware: </translation>
    </message>
    <message>
        <source>是否重启设备？</source>
        <translation>Restart the device?</translation>
    </message>
    <message>
        <source>暂不可用</source>
        <translation>Not available yet</translation>
    </message>
    <message>
        <source>设置失败</source>
        <translation>Setting failed</translation>
    </message>
    <message>
        <source>设置成功，即将关闭窗口</source>
        <translation>Set successfully; the window closes shortly</translation>
    </message>
    <message>
        <source>设置成功，即将重启</source>
        <translation>Set successfully; the device restarts</translation>
    </message>
    <message>
        <source>DSP通道: 网络输入 %1, 网络输出 %2</source>
        <translation>DSP channels: network in %1, network out %2</translation>
    </message>
    <message>
        <source>流管理</source>
        <translation>Streams</translation>
    </message>
</context>
<context>
    <name>DialogChangePriority</name>
    <message>
        <source>时钟优先级</source>
        <translation>Clock priority</translation>
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
        <source>请输入规定的数字,范围0-255</source>
        <translation>Please enter a number from 0 to 255</translation>
    </message>
</context>
<context>
    <name>DspChannelStrip</name>
    <message>
        <source>无分组</source>
        <translation>No group</translation>
    </message>
</context>
<context>
    <name>DspBlockBaseForm</name>
    <message>
        <source>控制功能已上锁</source>
        <translation>Control functions are locked</translation>
    </message>
</context>
<context>
    <name>DspChainEditor</name>
    <message>
        <source>控制功能已上锁</source>
        <translation>Control functions are locked</translation>
    </message>
    <message>
        <source>复制成功</source>
        <translation>Copied</translation>
    </message>
    <message>
        <source>类型不同无法粘贴</source>
        <translation>Cannot paste onto a block of another type</translation>
    </message>
    <message>
        <source>粘贴成功</source>
        <translation>Pasted</translation>
    </message>
</context>
<context>
    <name>DspDiagramForm</name>
    <message>
        <source>管理员密码</source>
        <translation>Administrator code</translation>
    </message>
    <message>
        <source>该设备不支持自定义功能!</source>
        <translation>This device does not support custom functions!</translation>
    </message>
    <message>
        <source>选择链接的通道</source>
        <translation>Choose the channel to link with</translation>
    </message>
    <message>
        <source>%1 (已链接)</source>
        <translation>%1 (linked)</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>强制添加</source>
        <translation>ForceAdd</translation>
    </message>
    <message>
        <source>控制功能已上锁</source>
        <translation>Control functions are locked</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>撤回</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>矩阵</source>
        <translation>Matrix</translation>
    </message>
    <message>
        <source>请先选择添加位置</source>
        <translation>Choose where to add first (a + button of a channel)</translation>
    </message>
    <message>
        <source>复制成功</source>
        <translation>Copied</translation>
    </message>
    <message>
        <source>类型不同无法粘贴</source>
        <translation>Cannot paste onto a block of another type</translation>
    </message>
    <message>
        <source>粘贴成功</source>
        <translation>Pasted</translation>
    </message>
    <message>
        <source>展开全部DSP</source>
        <translation>Expand all DSP</translation>
    </message>
    <message>
        <source>收起全部DSP</source>
        <translation>Collapse all DSP</translation>
    </message>
    <message>
        <source>加载通道程式</source>
        <translation>Load channel program</translation>
    </message>
    <message>
        <source>管理通道程式</source>
        <translation>Manage channel programs</translation>
    </message>
    <message>
        <source>暂不可用</source>
        <translation>Not available yet</translation>
    </message>
    <message>
        <source>是否取消链接？</source>
        <translation>Unlink the channels?</translation>
    </message>
    <message>
        <source>是否确定链接？</source>
        <translation>Link the channels?</translation>
    </message>
    <message>
        <source>取消链接成功</source>
        <translation>Unlinked</translation>
    </message>
    <message>
        <source>链接成功</source>
        <translation>Linked</translation>
    </message>
    <message>
        <source>设置失败,名字不能为空</source>
        <translation>Failed: the name cannot be empty</translation>
    </message>
    <message>
        <source>设置失败,名字不能太长</source>
        <translation>Failed: the name is too long</translation>
    </message>
    <message>
        <source>设置失败,名字不能有特殊字符</source>
        <translation>Failed: the name cannot contain special characters</translation>
    </message>
    <message>
        <source>设置失败，请重新设置</source>
        <translation>Setting failed, please try again</translation>
    </message>
    <message>
        <source>是否确定保存？</source>
        <translation>Save the configuration?</translation>
    </message>
    <message>
        <source>保存配置成功</source>
        <translation>Configuration saved</translation>
    </message>
    <message>
        <source>是否确定撤回？</source>
        <translation>Undo all changes since the last download?</translation>
    </message>
    <message>
        <source>设置增益失败</source>
        <translation>Failed to set the gain</translation>
    </message>
    <message>
        <source>设置静音失败</source>
        <translation>Failed to set the mute</translation>
    </message>
    <message>
        <source>设置反向失败</source>
        <translation>Failed to set the phase inversion</translation>
    </message>
    <message>
        <source>设置成功</source>
        <translation>Set successfully</translation>
    </message>
    <message>
        <source>保存配置失败</source>
        <translation>Failed to save the configuration</translation>
    </message>
    <message>
        <source>链接失败</source>
        <translation>Link failed</translation>
    </message>
    <message>
        <source>话筒</source>
        <translation>Microphone</translation>
    </message>
    <message>
        <source>离线设备没有话筒处理器</source>
        <translation>An offline device has no microphone processor</translation>
    </message>
</context>
<context>
    <name>DspEditRules</name>
    <message>
        <source>只能添加一个AEC</source>
        <translation>Only one AEC channel can be added</translation>
    </message>
    <message>
        <source>AutoMixer通道数已达上限</source>
        <translation>AutoMixer channels have reached the limit</translation>
    </message>
    <message>
        <source>通道不存在</source>
        <translation>The channel does not exist</translation>
    </message>
    <message>
        <source>只允许添加一个EQ</source>
        <translation>Only one EQ is allowed per channel</translation>
    </message>
    <message>
        <source>只允许添加一个HPF</source>
        <translation>Only one HPF is allowed per channel</translation>
    </message>
    <message>
        <source>只允许添加一个LPF</source>
        <translation>Only one LPF is allowed per channel</translation>
    </message>
    <message>
        <source>只允许添加一个闪避</source>
        <translation>Only one ducker is allowed per channel</translation>
    </message>
    <message>
        <source>延时时长超过限制,不能添加</source>
        <translation>The delay exceeds the limit and cannot be added</translation>
    </message>
    <message>
        <source>不能粘贴给同一功能块</source>
        <translation>Cannot paste onto the same block</translation>
    </message>
    <message>
        <source>类型不同无法粘贴</source>
        <translation>Cannot paste onto a block of another type</translation>
    </message>
    <message>
        <source>延时时长超过限制,不能粘贴延时</source>
        <translation>The delay exceeds the limit, the delay cannot be pasted</translation>
    </message>
    <message>
        <source>不能粘贴给同一通道</source>
        <translation>Cannot paste onto the same channel</translation>
    </message>
    <message>
        <source>输出通道不能粘贴给输入通道</source>
        <translation>An output channel cannot be pasted onto an input channel</translation>
    </message>
    <message>
        <source>输入通道不能粘贴给输出通道</source>
        <translation>An input channel cannot be pasted onto an output channel</translation>
    </message>
    <message>
        <source>CPU资源不足</source>
        <translation>Not enough CPU resources</translation>
    </message>
</context>
<context>
    <name>DspLinkPlan</name>
    <message>
        <source>链接失败</source>
        <translation>Link failed</translation>
    </message>
    <message>
        <source>没有功能块无法链接</source>
        <translation>Channels without blocks cannot be linked</translation>
    </message>
    <message>
        <source>通道完全相同才能进行链接</source>
        <translation>Only channels with identical blocks can be linked</translation>
    </message>
</context>
<context>
    <name>DspPlaceholderEditor</name>
    <message>
        <source>编辑器即将推出</source>
        <translation>This editor is coming soon</translation>
    </message>
</context>
<context>
    <name>FormChannelVoice</name>
    <message>
        <source>静音</source>
        <translation>Mute</translation>
    </message>
    <message>
        <source>电源</source>
        <translation>Power</translation>
    </message>
</context>
<context>
    <name>FormClockTitle</name>
    <message>
        <source>设备类型</source>
        <translation>Device type</translation>
    </message>
    <message>
        <source>设备ID</source>
        <translation>Device ID</translation>
    </message>
    <message>
        <source>时钟角色</source>
        <translation>Role</translation>
    </message>
    <message>
        <source>同步状态</source>
        <translation>Sync state</translation>
    </message>
    <message>
        <source>频率偏移</source>
        <translation>Offset (ppm)</translation>
    </message>
    <message>
        <source>时钟优先级</source>
        <translation>Clock priority</translation>
    </message>
    <message>
        <source>设备名称</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>接收/发送带宽</source>
        <translation>Recv/Send Bandwidth</translation>
    </message>
</context>
<context>
    <name>FormEditDevTypeDialog</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>修改设备类型</source>
        <translation>Edit device type</translation>
    </message>
    <message>
        <source>只能包含数字、字符、-、_，长度不能超过12</source>
        <translation>Only digits, letters, - and _; at most 12 characters</translation>
    </message>
    <message>
        <source>设备类型</source>
        <translation>Device type</translation>
    </message>
    <message>
        <source>修改失败</source>
        <translation>Change failed</translation>
    </message>
    <message>
        <source>设备类型修改中...(大概10秒)</source>
        <translation>Changing the device type... (about 10 s)</translation>
    </message>
    <message>
        <source>找不到修改工具tools/Quill.exe</source>
        <translation>The tool tools/Quill.exe is missing</translation>
    </message>
    <message>
        <source>修改成功并重启，请刷新列表</source>
        <translation>Changed; the device restarts. Please refresh the list</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
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
    <name>FormStreamRoute</name>
    <message>
        <source>Unicast routing</source>
        <translation>Unicast routing</translation>
    </message>
    <message>
        <source>Multicast routing</source>
        <translation>Multicast routing</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Create routing</source>
        <translation>Create routing</translation>
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
</context>
<context>
    <name>ManageLock</name>
    <message>
        <source>锁定设置</source>
        <translation>Lock settings</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>只读</source>
        <translation>Read-only</translation>
    </message>
    <message>
        <source>隐藏</source>
        <translation>Hidden</translation>
    </message>
    <message>
        <source>设备详情</source>
        <translation>Device details</translation>
    </message>
    <message>
        <source>设备路由</source>
        <translation>Device routes</translation>
    </message>
    <message>
        <source>音频处理详情</source>
        <translation>Audio processing details</translation>
    </message>
    <message>
        <source>详情只读</source>
        <translation>Details read-only</translation>
    </message>
    <message>
        <source>修改密码</source>
        <translation>Change password</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ManagePasswd</name>
    <message>
        <source>输入密码</source>
        <translation>Enter password</translation>
    </message>
    <message>
        <source>设置密码</source>
        <translation>Set password</translation>
    </message>
    <message>
        <source>修改密码</source>
        <translation>Change password</translation>
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
        <source>显示</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>修改密码成功</source>
        <translation>Password changed successfully</translation>
    </message>
    <message>
        <source>设置失败</source>
        <translation>Setting failed</translation>
    </message>
    <message>
        <source>设备超时未响应</source>
        <translation>Device timed out and did not respond</translation>
    </message>
</context>
<context>
    <name>McastCreateTexts</name>
    <message>
        <source>组播流名称不能为空</source>
        <translation>The stream name cannot be empty</translation>
    </message>
    <message>
        <source>至少选中一个通道加入组播流</source>
        <translation>Select at least one channel for the stream</translation>
    </message>
    <message>
        <source>请输入正确的ip</source>
        <translation>Please enter a correct IP</translation>
    </message>
    <message>
        <source>请输入端口号</source>
        <translation>Please enter a port</translation>
    </message>
    <message>
        <source>没有可用的组播地址</source>
        <translation>No free multicast address</translation>
    </message>
    <message>
        <source>删除组播流？</source>
        <translation>Delete the multicast streams?</translation>
    </message>
</context>
<context>
    <name>McastWidget</name>
    <message>
        <source>组播流详情</source>
        <translation>Multicast stream details</translation>
    </message>
    <message>
        <source>设备ID</source>
        <translation>Device ID</translation>
    </message>
    <message>
        <source>组播流名称</source>
        <translation>Stream name</translation>
    </message>
    <message>
        <source>设备IP</source>
        <translation>Device IP</translation>
    </message>
    <message>
        <source>组播地址</source>
        <translation>Multicast address</translation>
    </message>
    <message>
        <source>设备名称</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>通道</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>%1 个通道</source>
        <translation>%1 channels</translation>
    </message>
</context>
<context>
    <name>MicControlDialog</name>
    <message>
        <source>话筒参数控制</source>
        <translation>Microphone settings</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>开启</source>
        <translation>On</translation>
    </message>
    <message>
        <source>%1级</source>
        <translation>Level %1</translation>
    </message>
    <message>
        <source>处理</source>
        <translation>Processing</translation>
    </message>
    <message>
        <source>回声消除:</source>
        <translation>Echo cancellation:</translation>
    </message>
    <message>
        <source>自适应反馈抑制:</source>
        <translation>Adaptive feedback suppression:</translation>
    </message>
    <message>
        <source>自动增益:</source>
        <translation>Automatic gain:</translation>
    </message>
    <message>
        <source>AI降噪:</source>
        <translation>AI noise reduction:</translation>
    </message>
    <message>
        <source>远端信号</source>
        <translation>Far end</translation>
    </message>
    <message>
        <source>本地监听</source>
        <translation>Local monitor</translation>
    </message>
    <message>
        <source>耳机信号源:</source>
        <translation>Headphone source:</translation>
    </message>
    <message>
        <source>麦克风输入增益:</source>
        <translation>Microphone input gain:</translation>
    </message>
    <message>
        <source>信号</source>
        <translation>Signals</translation>
    </message>
    <message>
        <source>本地参考信号增益:</source>
        <translation>Local reference gain:</translation>
    </message>
    <message>
        <source>远程参考信号增益:</source>
        <translation>Remote reference gain:</translation>
    </message>
    <message>
        <source>实时传译输入增益:</source>
        <translation>Interpretation input gain:</translation>
    </message>
    <message>
        <source>实时传译输出增益:</source>
        <translation>Interpretation output gain:</translation>
    </message>
    <message>
        <source>回声消除输出增益:</source>
        <translation>Echo cancellation output gain:</translation>
    </message>
    <message>
        <source>反馈抑制输出增益:</source>
        <translation>Feedback suppression output gain:</translation>
    </message>
    <message>
        <source>静音</source>
        <translation>Mute</translation>
    </message>
    <message>
        <source>保存参数</source>
        <translation>Save settings</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>保存成功</source>
        <translation>Saved</translation>
    </message>
</context>
<context>
    <name>ModifyDefaultDspDialog</name>
    <message>
        <source>修改默认配置</source>
        <translation>Default processor configuration</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>输入通道数：</source>
        <translation>Input channels:</translation>
    </message>
    <message>
        <source>输出通道数：</source>
        <translation>Output channels:</translation>
    </message>
    <message>
        <source>采样率：</source>
        <translation>Sample rate:</translation>
    </message>
    <message>
        <source>高级配置（可选）</source>
        <translation>Advanced configuration (optional)</translation>
    </message>
    <message>
        <source>命令</source>
        <translation>Commands</translation>
    </message>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>输入</source>
        <translation>Inputs</translation>
    </message>
    <message>
        <source>输出</source>
        <translation>Outputs</translation>
    </message>
    <message>
        <source>设置为默认</source>
        <translation>Set as default</translation>
    </message>
    <message>
        <source>导出到文件</source>
        <translation>Export to file</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>保存文件</source>
        <translation>Save file</translation>
    </message>
</context>
<context>
    <name>ModifyTypeTab</name>
    <message>
        <source>修改</source>
        <translation>Modify</translation>
    </message>
    <message>
        <source>写入DSP默认配置</source>
        <translation>Write the DSP default configuration</translation>
    </message>
    <message>
        <source>写入I2S配置</source>
        <translation>Write the I2S configuration</translation>
    </message>
    <message>
        <source>只能包含数字、字符、-、_，长度不能超过12</source>
        <translation>Only digits, letters, - and _; at most 12 characters</translation>
    </message>
    <message>
        <source>设备ID后缀：</source>
        <translation>Device ID suffix:</translation>
    </message>
    <message>
        <source>设备类型：</source>
        <translation>Device type:</translation>
    </message>
    <message>
        <source>设备：</source>
        <translation>Device:</translation>
    </message>
</context>
<context>
    <name>MyThread</name>
    <message>
        <source>设备已加锁</source>
        <translation>The device is locked</translation>
    </message>
</context>
<context>
    <name>NameRules</name>
    <message>
        <source>提示:名字不能为空</source>
        <translation>Hint: the name cannot be empty</translation>
    </message>
    <message>
        <source>提示:名字不能有特殊字符</source>
        <translation>Hint: the name cannot contain special characters</translation>
    </message>
    <message>
        <source>提示:名字不能太长</source>
        <translation>Hint: the name is too long</translation>
    </message>
    <message>
        <source>设置失败,名字不能为空</source>
        <translation>Setting failed: the name cannot be empty</translation>
    </message>
    <message>
        <source>设置失败，不能包含特殊字符</source>
        <translation>Setting failed: special characters are not allowed</translation>
    </message>
    <message>
        <source>设置失败，长度不能过长</source>
        <translation>Setting failed: the name is too long</translation>
    </message>
</context>
<context>
    <name>NewDelayCounter</name>
    <message>
        <source>接收流:</source>
        <translation>Receive stream:</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>清除数据</source>
        <translation>Clear data</translation>
    </message>
    <message>
        <source>统计总数</source>
        <translation>Total count</translation>
    </message>
    <message>
        <source>平均延迟(微秒)</source>
        <translation>Average delay (µs)</translation>
    </message>
    <message>
        <source>最大延迟(微秒)</source>
        <translation>Maximum delay (µs)</translation>
    </message>
    <message>
        <source>不连续次数</source>
        <translation>Discontinuities</translation>
    </message>
    <message>
        <source>超出延迟次数</source>
        <translation>Over the delay limit</translation>
    </message>
    <message>
        <source>暂无活跃通道</source>
        <translation>There is no active channel</translation>
    </message>
    <message>
        <source>清除失败</source>
        <translation>Clear failed</translation>
    </message>
</context>
<context>
    <name>PasswordRules</name>
    <message>
        <source>密码不能为空</source>
        <translation>The password cannot be empty</translation>
    </message>
    <message>
        <source>两次密码输入不一致</source>
        <translation>The two passwords do not match</translation>
    </message>
    <message>
        <source>密码中不能有空格</source>
        <translation>The password cannot contain spaces</translation>
    </message>
</context>
<context>
    <name>ReasonText</name>
    <message>
        <source>设置失败,设备已上锁</source>
        <translation>Setting failed, the device is locked</translation>
    </message>
    <message>
        <source>密码错误</source>
        <translation>Password error</translation>
    </message>
</context>
<context>
    <name>RouteClickChecks</name>
    <message>
        <source>采样率不同不能创建路由</source>
        <translation>The sample rates differ: the route cannot be created</translation>
    </message>
    <message>
        <source>two device not same network, want to set routing?</source>
        <translation>two device not same network, want to set routing?</translation>
    </message>
    <message>
        <source>组播由本设备创建，不能创建路由</source>
        <translation>The multicast stream comes from this device: the route cannot be created</translation>
    </message>
    <message>
        <source>虚拟声卡不能作为接收设备</source>
        <translation>A virtual sound card cannot be a receiving device</translation>
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
    <name>ShowStreamInfoDialog</name>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
</context>
<context>
    <name>SignalVerdict</name>
    <message>
        <source>测试通过</source>
        <translation>Test passed</translation>
    </message>
    <message>
        <source>测试不通过</source>
        <translation>Test failed</translation>
    </message>
</context>
<context>
    <name>TestSignalDialog</name>
    <message>
        <source>%1通道</source>
        <translation>%1 channels</translation>
    </message>
    <message>
        <source>①刷新设备</source>
        <translation>① Refresh devices</translation>
    </message>
    <message>
        <source>②开始测试</source>
        <translation>② Start test</translation>
    </message>
    <message>
        <source>③完成测试并重启</source>
        <translation>③ Finish and reboot</translation>
    </message>
    <message>
        <source>信号校准</source>
        <translation>Calibrate</translation>
    </message>
    <message>
        <source>信号校准: 信号源 %1，待测设备 %2</source>
        <translation>Calibration: source %1, device under test %2</translation>
    </message>
    <message>
        <source>信号测试</source>
        <translation>Signal test</translation>
    </message>
    <message>
        <source>信号源设备：</source>
        <translation>Source device:</translation>
    </message>
    <message>
        <source>信号源通道：</source>
        <translation>Source channel:</translation>
    </message>
    <message>
        <source>修改类型</source>
        <translation>Modify type</translation>
    </message>
    <message>
        <source>修改类型: %1 %2 =&gt; %3-%4</source>
        <translation>Modify type: %1 %2 =&gt; %3-%4</translation>
    </message>
    <message>
        <source>初检</source>
        <translation>First check</translation>
    </message>
    <message>
        <source>初检不需要点击步骤③</source>
        <translation>The first check does not need step ③</translation>
    </message>
    <message>
        <source>刷新中...</source>
        <translation>Refreshing...</translation>
    </message>
    <message>
        <source>刷新失败: 没有可用的网卡</source>
        <translation>Refresh failed: no usable network interface</translation>
    </message>
    <message>
        <source>刷新完成: %1台设备</source>
        <translation>Refreshed: %1 devices</translation>
    </message>
    <message>
        <source>已检测数量:%1</source>
        <translation>Devices tested: %1</translation>
    </message>
    <message>
        <source>开始测试: %1 (%2通道)，信号源 %3 %4</source>
        <translation>Test started: %1 (%2 channels), source %3 %4</translation>
    </message>
    <message>
        <source>待测设备类型：</source>
        <translation>Device class:</translation>
    </message>
    <message>
        <source>待测试设备：</source>
        <translation>Device under test:</translation>
    </message>
    <message>
        <source>成功:%1，已检测数量:%2</source>
        <translation>Passed: %1, devices tested: %2</translation>
    </message>
    <message>
        <source>找不到修改工具tools/Quill.exe</source>
        <translation>The tool tools/Quill.exe was not found</translation>
    </message>
    <message>
        <source>抵消合格阈值：</source>
        <translation>Cancellation threshold:</translation>
    </message>
    <message>
        <source>有无信号阈值：</source>
        <translation>Signal threshold:</translation>
    </message>
    <message>
        <source>校准不通过</source>
        <translation>Calibration failed</translation>
    </message>
    <message>
        <source>校准中...</source>
        <translation>Calibrating...</translation>
    </message>
    <message>
        <source>校准结果未能保存到UserConfig.ini</source>
        <translation>The calibration could not be saved to UserConfig.ini</translation>
    </message>
    <message>
        <source>校准通过</source>
        <translation>Calibration passed</translation>
    </message>
    <message>
        <source>检测到没有刷新设备，请先刷新设备</source>
        <translation>The devices were not refreshed: refresh them first</translation>
    </message>
    <message>
        <source>检测到测试没有通过，请重新测试</source>
        <translation>The last test did not pass: test again</translation>
    </message>
    <message>
        <source>模拟输入%1</source>
        <translation>Analog input %1</translation>
    </message>
    <message>
        <source>测试中...</source>
        <translation>Testing...</translation>
    </message>
    <message>
        <source>测试工具</source>
        <translation>Test tool</translation>
    </message>
    <message>
        <source>测试步骤：</source>
        <translation>Test step:</translation>
    </message>
    <message>
        <source>测试记录：</source>
        <translation>Record:</translation>
    </message>
    <message>
        <source>终检</source>
        <translation>Final check</translation>
    </message>
    <message>
        <source>网络输入%1</source>
        <translation>Network input %1</translation>
    </message>
    <message>
        <source>解锁</source>
        <translation>Unlock</translation>
    </message>
    <message>
        <source>记录文件: %1</source>
        <translation>Record file: %1</translation>
    </message>
    <message>
        <source>记录文件写入失败: %1</source>
        <translation>The record file could not be written: %1</translation>
    </message>
    <message>
        <source>重启失败</source>
        <translation>Reboot failed</translation>
    </message>
    <message>
        <source>重启成功</source>
        <translation>Rebooted</translation>
    </message>
    <message>
        <source>锁定/解锁</source>
        <translation>Lock/Unlock</translation>
    </message>
    <message>
        <source>阈值未能保存到UserConfig.ini</source>
        <translation>The threshold could not be saved to UserConfig.ini</translation>
    </message>
    <message>
        <source>，%1个169.254.x.x地址应答未列出</source>
        <translation>, %1 answers from 169.254.x.x not listed</translation>
    </message>
    <message>
        <source>，%1个应答不在设备列表中</source>
        <translation>, %1 answers not in the device list</translation>
    </message>
    <message>
        <source>，%1个应答超出上限被丢弃</source>
        <translation>, %1 answers over the limit dropped</translation>
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
        <source>导出配置</source>
        <translation>Export configuration</translation>
    </message>
    <message>
        <source>加载配置</source>
        <translation>Load configuration</translation>
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
<context>
    <name>UartTunnelPanel</name>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>串口命令</source>
        <translation>Serial command</translation>
    </message>
</context>
<context>
    <name>channelVoice</name>
    <message>
        <source>模拟跳转到:</source>
        <translation>Analog jump to:</translation>
    </message>
    <message>
        <source>网络跳转到:</source>
        <translation>Net jump to:</translation>
    </message>
    <message>
        <source>输入</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>输出</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>请输入正确的范围</source>
        <translation>Please enter a value in the valid range</translation>
    </message>
    <message>
        <source>模拟输入</source>
        <translation>AnalogIn</translation>
    </message>
    <message>
        <source>模拟输出</source>
        <translation>AnalogOut</translation>
    </message>
    <message>
        <source>网络输入</source>
        <translation>NetIn</translation>
    </message>
    <message>
        <source>网络输出</source>
        <translation>NetOut</translation>
    </message>
    <message>
        <source>设置成功</source>
        <translation>Set successfully</translation>
    </message>
    <message>
        <source>设置失败</source>
        <translation>Setting failed</translation>
    </message>
    <message>
        <source>获取物理通道电平失败，是否重新获取？</source>
        <translation>Failed to get the analog channel levels. Try again?</translation>
    </message>
    <message>
        <source>获取网络通道电平失败，是否重新获取？</source>
        <translation>Failed to get the network channel levels. Try again?</translation>
    </message>
    <message>
        <source>获取物理通道增益失败，是否重新获取？</source>
        <translation>Failed to get the analog channel gains. Try again?</translation>
    </message>
    <message>
        <source>获取静音失败，是否重新获取？</source>
        <translation>Failed to get the mutes. Try again?</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
</context>
<context>
    <name>stream</name>
    <message>
        <source>流列表</source>
        <translation>Streams</translation>
    </message>
    <message>
        <source>组播流</source>
        <translation>Multicast</translation>
    </message>
    <message>
        <source>若要兼容其他协议，名字不能包含中文</source>
        <translation>For other protocols, do not use Chinese in the name</translation>
    </message>
    <message>
        <source>自动分配</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>端口：</source>
        <translation>Port: </translation>
    </message>
    <message>
        <source>名称：</source>
        <translation>Name: </translation>
    </message>
    <message>
        <source>创建</source>
        <translation>Create</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>组播流总数：</source>
        <translation>Multicast streams: </translation>
    </message>
    <message>
        <source>组播流名称不能为空</source>
        <translation>The stream name cannot be empty</translation>
    </message>
    <message>
        <source>至少选中一个通道加入组播流</source>
        <translation>Select at least one channel for the stream</translation>
    </message>
    <message>
        <source>请输入正确的ip</source>
        <translation>Please enter a correct IP</translation>
    </message>
    <message>
        <source>请输入端口号</source>
        <translation>Please enter a port</translation>
    </message>
    <message>
        <source>没有可用的组播地址</source>
        <translation>No free multicast address</translation>
    </message>
    <message>
        <source>请选择要删除的组播</source>
        <translation>Select the multicast streams to delete</translation>
    </message>
    <message>
        <source>删除组播流？</source>
        <translation>Delete the multicast streams?</translation>
    </message>
    <message>
        <source>创建成功</source>
        <translation>Created</translation>
    </message>
    <message>
        <source>创建失败</source>
        <translation>Creation failed</translation>
    </message>
    <message>
        <source>设置成功</source>
        <translation>Set successfully</translation>
    </message>
    <message>
        <source>删除成功</source>
        <translation>Deleted</translation>
    </message>
    <message>
        <source>删除通道路由？</source>
        <translation>Delete the channel route?</translation>
    </message>
</context>
<context>
    <name>devtest</name>
    <message>
        <source>开启串口LED闪烁</source>
        <translation>Start serial LED blinking</translation>
    </message>
    <message>
        <source>停止串口LED闪烁</source>
        <translation>Stop serial LED blinking</translation>
    </message>
    <message>
        <source>查看内存</source>
        <translation>View memory</translation>
    </message>
    <message>
        <source>该设备不支持修改配置</source>
        <translation>This device does not support changing its configuration</translation>
    </message>
    <message>
        <source>恢复出厂设置会删除全部用户配置，确认恢复？</source>
        <translation>A factory reset deletes every user setting. Reset the device?</translation>
    </message>
    <message>
        <source>恢复成功，需要重启设备，立即重启？</source>
        <translation>Reset done. The device needs a restart; restart now?</translation>
    </message>
    <message>
        <source>确定重启设备？</source>
        <translation>Restart the device?</translation>
    </message>
    <message>
        <source>获取失败</source>
        <translation>Read failed</translation>
    </message>
    <message>
        <source>设置失败</source>
        <translation>Setting failed</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
</context>
<context>
    <name>GpioPanel</name>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>另存为...</source>
        <translation>Save as...</translation>
    </message>
    <message>
        <source>打开...</source>
        <translation>Open...</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Save failed</translation>
    </message>
    <message>
        <source>保存成功</source>
        <translation>Saved</translation>
    </message>
    <message>
        <source>获取失败</source>
        <translation>Read failed</translation>
    </message>
    <message>
        <source>设置失败</source>
        <translation>Setting failed</translation>
    </message>
</context>
<context>
    <name>DevInfoPanel</name>
    <message>
        <source>Mac地址:</source>
        <translation>MAC address:</translation>
    </message>
</context>
<context>
    <name>FactoryCodePrompt</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>OfflineDscpPanel</name>
    <message>
        <source>设置失败</source>
        <translation>Setting failed</translation>
    </message>
</context>
<context>
    <name>AudioCfgText</name>
    <message>
        <source>模拟输入通道数</source>
        <translation>Analog inputs</translation>
    </message>
    <message>
        <source>模拟输出通道数</source>
        <translation>Analog outputs</translation>
    </message>
    <message>
        <source>网络输入通道数</source>
        <translation>Network inputs</translation>
    </message>
    <message>
        <source>网络输出通道数</source>
        <translation>Network outputs</translation>
    </message>
    <message>
        <source>采样率</source>
        <translation>Sample rate</translation>
    </message>
    <message>
        <source>音频格式</source>
        <translation>Audio format</translation>
    </message>
    <message>
        <source>音频格式类型</source>
        <translation>Audio format type</translation>
    </message>
    <message>
        <source>主时钟频率</source>
        <translation>Master clock</translation>
    </message>
    <message>
        <source>左右时钟反向</source>
        <translation>Invert LR clock</translation>
    </message>
    <message>
        <source>位时钟反向</source>
        <translation>Invert bit clock</translation>
    </message>
    <message>
        <source>该设备不支持修改配置</source>
        <translation>This device does not support changing its configuration</translation>
    </message>
    <message>
        <source>密码错误!</source>
        <translation>Wrong password!</translation>
    </message>
    <message>
        <source>配置过长</source>
        <translation>Configuration too long</translation>
    </message>
    <message>
        <source>配置行数过多</source>
        <translation>Too many configuration lines</translation>
    </message>
</context>
<context>
    <name>GpioInfo</name>
    <message>
        <source>不能超过128字符</source>
        <translation>At most 128 characters</translation>
    </message>
</context>
</TS>
