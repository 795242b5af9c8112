<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AddressList</name>
    <message>
        <source>第 %1 行: &quot;%2&quot; 不是设备地址</source>
        <translation>Line %1: &quot;%2&quot; is not a device address</translation>
    </message>
    <message>
        <source>第 %1 行: 0 是广播地址, 不能逐台发送</source>
        <translation>Line %1: 0 is the broadcast address, not a single device</translation>
    </message>
    <message>
        <source>第 %1 行: 地址 %2 重复</source>
        <translation>Line %1: address %2 repeated</translation>
    </message>
    <message>
        <source>第 %1 行起未读: 最多 %2 个地址</source>
        <translation>Lines from %1 not read: at most %2 addresses</translation>
    </message>
    <message>
        <source>打开地址文件失败: %1</source>
        <translation>Cannot open address file: %1</translation>
    </message>
    <message>
        <source>地址文件过大 (超过 %1 KB)</source>
        <translation>Address file too large (over %1 KB)</translation>
    </message>
</context>
<context>
    <name>BatchPanel</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>目标地址, 每行一个 (可输入、粘贴或读取文本/CSV文件)</source>
        <translation>Target addresses, one per line (type, paste or read a text/CSV file)</translation>
    </message>
    <message>
        <source>目标地址列表</source>
        <translation>Target address list</translation>
    </message>
    <message>
        <source>读取地址</source>
        <translation>Read list</translation>
    </message>
    <message>
        <source>从文本或CSV文件读取目标地址, 每行一个</source>
        <translation>Read target addresses from a text or CSV file, one per line</translation>
    </message>
    <message>
        <source>批量发送</source>
        <translation>Batch send</translation>
    </message>
    <message>
        <source>重试失败</source>
        <translation>Retry failed</translation>
    </message>
    <message>
        <source>只向未成功的地址再发送一次</source>
        <translation>Send once more to the addresses that did not succeed</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>导出结果</source>
        <translation>Export results</translation>
    </message>
    <message>
        <source>把结果表保存为CSV文件</source>
        <translation>Save the results table as a CSV file</translation>
    </message>
    <message>
        <source>批量发送结果</source>
        <translation>Batch send results</translation>
    </message>
    <message>
        <source>批量发送进度</source>
        <translation>Batch send progress</translation>
    </message>
    <message>
        <source>…… 共 %1 行有误</source>
        <translation>... %1 lines in error</translation>
    </message>
    <message>
        <source>请输入目标地址, 每行一个</source>
        <translation>Enter target addresses, one per line</translation>
    </message>
    <message>
        <source>没有需要重试的地址</source>
        <translation>No addresses to retry</translation>
    </message>
    <message>
        <source>保存结果失败: %1</source>
        <translation>Cannot save results: %1</translation>
    </message>
    <message>
        <source>读取目标地址</source>
        <translation>Read target addresses</translation>
    </message>
    <message>
        <source>地址(*.txt *.csv);;所有文件(*)</source>
        <translation>Addresses (*.txt *.csv);;All files (*)</translation>
    </message>
    <message>
        <source>共 %1 台: 成功 %2, 失败 %3, 未完成 %4</source>
        <translation>%1 devices: %2 OK, %3 failed, %4 not done</translation>
    </message>
</context>
<context>
    <name>BatchResults</name>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>唤醒</source>
        <translation>Wake-up</translation>
    </message>
    <message>
        <source>唤醒耗时(秒)</source>
        <translation>Wake-up (s)</translation>
    </message>
    <message>
        <source>包数</source>
        <translation>Packets</translation>
    </message>
    <message>
        <source>总耗时(秒)</source>
        <translation>Total (s)</translation>
    </message>
    <message>
        <source>显示屏报告</source>
        <translation>Display report</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>等待</source>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>进行中</source>
        <translation>Running</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
</context>
<context>
    <name>BatchSession</name>
    <message>
        <source>唤醒失败</source>
        <translation>Wake-up failed</translation>
    </message>
    <message>
        <source>唤醒超时</source>
        <translation>Wake-up timed out</translation>
    </message>
    <message>
        <source>手动停止</source>
        <translation>Stopped manually</translation>
    </message>
    <message>
        <source>应答过短</source>
        <translation>Answer too short</translation>
    </message>
    <message>
        <source>文件发送超时</source>
        <translation>File send timed out</translation>
    </message>
    <message>
        <source>[%1/%2] 目的地址: %3</source>
        <translation>[%1/%2] Target address: %3</translation>
    </message>
    <message>
        <source>批量发送结束: 成功 %1 台, 失败 %2 台, 未完成 %3 台, 耗时 %4 秒</source>
        <translation>Batch send done: %1 OK, %2 failed, %3 not done, took %4 s</translation>
    </message>
    <message>
        <source>文件发送异常: %1</source>
        <translation>File send error: %1</translation>
    </message>
</context>
<context>
    <name>CfgDetail</name>
    <message>
        <source>串口详细配置</source>
        <translation>Port settings</translation>
    </message>
    <message>
        <source>详细设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>端口号:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>波特率:</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>数据位:</source>
        <translation>Data bits:</translation>
    </message>
    <message>
        <source>停止位:</source>
        <translation>Stop bits:</translation>
    </message>
    <message>
        <source>奇偶校验:</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>流控制:</source>
        <translation>Flow control:</translation>
    </message>
    <message>
        <source>端口信息</source>
        <translation>Port info</translation>
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
        <source>不校验</source>
        <translation>None</translation>
    </message>
    <message>
        <source>奇校验</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>偶校验</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
</context>
<context>
    <name>CfgDtu</name>
    <message>
        <source>设备地址</source>
        <translation>Device address</translation>
    </message>
    <message>
        <source>模式:</source>
        <translation>Mode:</translation>
    </message>
    <message>
        <source>起始:</source>
        <translation>Start:</translation>
    </message>
    <message>
        <source> 结束:</source>
        <translation> End:</translation>
    </message>
    <message>
        <source>生成命令码</source>
        <translation>Command code</translation>
    </message>
    <message>
        <source>复制到剪贴板</source>
        <translation>Copy to clipboard</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>命令列表</source>
        <translation>Commands</translation>
    </message>
    <message>
        <source>命令参数</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>全部地址</source>
        <translation>All addresses</translation>
    </message>
    <message>
        <source>复制到剪贴板</source>
        <comment>log line once the code is copied</comment>
        <translation>Copied to clipboard</translation>
    </message>
</context>
<context>
    <name>CfgSerial</name>
    <message>
        <source>端口号:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>刷新端口</source>
        <translation>Refresh ports</translation>
    </message>
    <message>
        <source>打开串口</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>波特率:</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>串口断开后, 同一串口在限定时间内回来时用相同参数重新打开</source>
        <translation>When the port drops and comes back in time, reopen it with the same settings</translation>
    </message>
    <message>
        <source>自动重连</source>
        <translation>Reconnect</translation>
    </message>
    <message>
        <source>数据终端就绪 (DTR) 信号线</source>
        <translation>Data Terminal Ready (DTR) line</translation>
    </message>
    <message>
        <source>DTR</source>
        <translation>DTR</translation>
    </message>
    <message>
        <source>请求发送 (RTS) 信号线</source>
        <translation>Request To Send (RTS) line</translation>
    </message>
    <message>
        <source>RTS</source>
        <translation>RTS</translation>
    </message>
    <message>
        <source>串口详细配置</source>
        <translation>Port settings</translation>
    </message>
    <message>
        <source>详细配置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>端口号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>端口忙</source>
        <translation>Port busy</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>奇偶校验</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>流量控制</source>
        <translation>Flow control</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>告警</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>网络端口格式: socket://主机:端口 或 rfc2217://主机:端口</source>
        <translation>Network port format: socket://host:port or rfc2217://host:port</translation>
    </message>
    <message>
        <source>该串口忙</source>
        <translation>This port is busy</translation>
    </message>
    <message>
        <source>不支持该波特率</source>
        <translation>Baud rate not supported</translation>
    </message>
    <message>
        <source>关闭串口</source>
        <translation>Close port</translation>
    </message>
    <message>
        <source>没有找到串口, 请连接设备后点击刷新</source>
        <translation>No serial port found. Connect the device and click refresh</translation>
    </message>
    <message>
        <source>串口已重新连接: %1</source>
        <translation>Port reconnected: %1</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>未知错误</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>无权限打开串口</source>
        <translation>No permission to open the port</translation>
    </message>
    <message>
        <source>%1错误</source>
        <translation>%1 error</translation>
    </message>
    <message>
        <source>串口已断开</source>
        <translation>Port disconnected</translation>
    </message>
    <message>
        <source>串口已断开
%1</source>
        <translation>Port disconnected
%1</translation>
    </message>
    <message>
        <source>串口已断开, 等待重新连接</source>
        <translation>Port disconnected, waiting to reconnect</translation>
    </message>
    <message>
        <source>自动重连超时</source>
        <translation>Automatic reconnect timed out</translation>
    </message>
    <message>
        <source>%1
%2 秒内未能重新连接</source>
        <translation>%1
Not reconnected within %2 s</translation>
    </message>
</context>
<context>
    <name>CmdFile</name>
    <message>
        <source>JSON 格式错误 (第 %1 字节): %2</source>
        <translation>JSON format error (byte %1): %2</translation>
    </message>
    <message>
        <source>顶层不是 JSON 对象</source>
        <translation>The top level is not a JSON object</translation>
    </message>
    <message>
        <source>&quot;mode&quot; 应为 &quot;list&quot;</source>
        <translation>&quot;mode&quot; should be &quot;list&quot;</translation>
    </message>
    <message>
        <source>缺少 &quot;cmd&quot; 数组</source>
        <translation>The &quot;cmd&quot; array is missing</translation>
    </message>
    <message>
        <source>没有可用的命令: 每条命令需要文本 &quot;name&quot; 和数组 &quot;param&quot;</source>
        <translation>No usable command: each command needs a text &quot;name&quot; and an array &quot;param&quot;</translation>
    </message>
    <message>
        <source>命令 &quot;%1&quot; 没有可用的参数: 每个参数需要 &quot;name&quot;、&quot;type&quot;、&quot;num&quot; 和 &quot;show&quot;</source>
        <translation>Command &quot;%1&quot; has no usable parameter: each parameter needs &quot;name&quot;, &quot;type&quot;, &quot;num&quot; and &quot;show&quot;</translation>
    </message>
</context>
<context>
    <name>DtuCommands</name>
    <message>
        <source>命令列表</source>
        <translation>Command list</translation>
    </message>
    <message>
        <source>无线信道</source>
        <translation>Radio channel</translation>
    </message>
    <message>
        <source>信道号</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>0 到 31，433.0 MHz 起每档 0.5 MHz</source>
        <translation>0 to 31, 0.5 MHz steps from 433.0 MHz</translation>
    </message>
    <message>
        <source>中心频率(MHz)</source>
        <translation>Centre freq. (MHz)</translation>
    </message>
    <message>
        <source>设备按信道号算出的中心频率，只读</source>
        <translation>Centre frequency the device derives from the channel, read-only</translation>
    </message>
    <message>
        <source>发射功率</source>
        <translation>TX power</translation>
    </message>
    <message>
        <source>功率档位</source>
        <translation>Power level</translation>
    </message>
    <message>
        <source>0 到 7，档位越高功率越大</source>
        <translation>0 to 7, a higher level gives more power</translation>
    </message>
    <message>
        <source>输出功率(dBm)</source>
        <translation>Output power (dBm)</translation>
    </message>
    <message>
        <source>-9 到 20 dBm，可为负数</source>
        <translation>-9 to 20 dBm, may be negative</translation>
    </message>
    <message>
        <source>设备地址</source>
        <translation>Device address</translation>
    </message>
    <message>
        <source>本机地址</source>
        <translation>Own address</translation>
    </message>
    <message>
        <source>32 位设备地址，十六进制，如 1A2B3C4D</source>
        <translation>32-bit device address in hex, e.g. 1A2B3C4D</translation>
    </message>
    <message>
        <source>网络号</source>
        <translation>Network ID</translation>
    </message>
    <message>
        <source>同一网络号的设备才能互通</source>
        <translation>Only devices with the same network ID talk to each other</translation>
    </message>
    <message>
        <source>空中速率</source>
        <translation>Air data rate</translation>
    </message>
    <message>
        <source>速率档位</source>
        <translation>Rate level</translation>
    </message>
    <message>
        <source>0:1.2k 1:2.4k 2:4.8k 3:9.6k 4:19.2k 5:38.4k bps</source>
        <translation>0:1.2k 1:2.4k 2:4.8k 3:9.6k 4:19.2k 5:38.4k bps</translation>
    </message>
    <message>
        <source>前向纠错</source>
        <translation>FEC</translation>
    </message>
    <message>
        <source>1 开启 FEC，距离更远但速率降低</source>
        <translation>1 turns FEC on: longer range, lower rate</translation>
    </message>
    <message>
        <source>无线侧串口</source>
        <translation>Radio UART</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>1200 到 115200</source>
        <translation>1200 to 115200</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>7 或 8</source>
        <translation>7 or 8</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>1 或 2</source>
        <translation>1 or 2</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>0 无校验，1 奇校验，2 偶校验</source>
        <translation>0 none, 1 odd, 2 even</translation>
    </message>
    <message>
        <source>固件版本</source>
        <translation>Firmware version</translation>
    </message>
    <message>
        <source>版本号</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>如 V2.3.1</source>
        <translation>e.g. V2.3.1</translation>
    </message>
    <message>
        <source>编译日期</source>
        <translation>Build date</translation>
    </message>
    <message>
        <source>硬件版本</source>
        <translation>Hardware version</translation>
    </message>
    <message>
        <source>高字节主版本，低字节次版本</source>
        <translation>High byte major, low byte minor version</translation>
    </message>
    <message>
        <source>工作模式</source>
        <translation>Operating mode</translation>
    </message>
    <message>
        <source>透传模式</source>
        <translation>Transparent</translation>
    </message>
    <message>
        <source>1 透传，0 定点</source>
        <translation>1 transparent, 0 fixed address</translation>
    </message>
    <message>
        <source>低功耗</source>
        <translation>Low power</translation>
    </message>
    <message>
        <source>1 周期唤醒接收，省电</source>
        <translation>1 wakes up periodically to receive, saves power</translation>
    </message>
    <message>
        <source>唤醒周期(ms)</source>
        <translation>Wake period (ms)</translation>
    </message>
    <message>
        <source>低功耗时的接收周期，250 到 4000</source>
        <translation>Receive period in low power mode, 250 to 4000</translation>
    </message>
    <message>
        <source>信号质量</source>
        <translation>Signal quality</translation>
    </message>
    <message>
        <source>接收强度(dBm)</source>
        <translation>RX level (dBm)</translation>
    </message>
    <message>
        <source>最近一帧的 RSSI</source>
        <translation>RSSI of the last frame</translation>
    </message>
    <message>
        <source>信噪比(dB)</source>
        <translation>SNR (dB)</translation>
    </message>
    <message>
        <source>丢包计数</source>
        <translation>Lost frames</translation>
    </message>
    <message>
        <source>上电以来校验失败的帧数</source>
        <translation>Frames that failed the check since power-on</translation>
    </message>
    <message>
        <source>设备名称</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>最多 20 字节，UTF-8</source>
        <translation>At most 20 bytes, UTF-8</translation>
    </message>
    <message>
        <source>频率校准</source>
        <translation>Freq. calibration</translation>
    </message>
    <message>
        <source>晶振偏差(ppm)</source>
        <translation>Crystal offset (ppm)</translation>
    </message>
    <message>
        <source>可为负数，如 -2.5</source>
        <translation>May be negative, e.g. -2.5</translation>
    </message>
    <message>
        <source>温度补偿</source>
        <translation>Temp. compensation</translation>
    </message>
    <message>
        <source>补偿系数</source>
        <translation>Coefficients</translation>
    </message>
    <message>
        <source>三段温度的补偿值，空格分隔</source>
        <translation>Values for three temperature ranges, separated by spaces</translation>
    </message>
    <message>
        <source>加密密钥</source>
        <translation>Encryption key</translation>
    </message>
    <message>
        <source>密钥</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>8 字节，空格分隔，如 1f 2e 3d 4c 5b 6a 79 88</source>
        <translation>8 bytes separated by spaces, e.g. 1f 2e 3d 4c 5b 6a 79 88</translation>
    </message>
    <message>
        <source>启用加密</source>
        <translation>Encryption on</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Factory reset</translation>
    </message>
    <message>
        <source>确认码</source>
        <translation>Confirm code</translation>
    </message>
    <message>
        <source>写入 A55A 才会执行</source>
        <translation>Runs only when A55A is written</translation>
    </message>
    <message>
        <source>重启设备</source>
        <translation>Restart device</translation>
    </message>
    <message>
        <source>延时(s)</source>
        <translation>Delay (s)</translation>
    </message>
    <message>
        <source>收到命令后等待多少秒重启，0 立即重启</source>
        <translation>Seconds to wait before restarting, 0 restarts at once</translation>
    </message>
    <message>
        <source>调试寄存器</source>
        <translation>Debug register</translation>
    </message>
    <message>
        <source>寄存器地址</source>
        <translation>Register address</translation>
    </message>
    <message>
        <source>仅供厂内调试</source>
        <translation>Factory debugging only</translation>
    </message>
    <message>
        <source>寄存器值</source>
        <translation>Register value</translation>
    </message>
</context>
<context>
    <name>EnduranceRun</name>
    <message>
        <source>间隔时间错误</source>
        <translation>Invalid interval</translation>
    </message>
    <message>
        <source>%1 执行第 %2 次任务</source>
        <translation>%1 Running task %2</translation>
    </message>
    <message>
        <source>成功: 唤醒 %1 次, 发送 %2 次, 总 %3 次</source>
        <translation>OK: wake-up %1, send %2, total %3</translation>
    </message>
    <message>
        <source>失败: 唤醒 %1 次, 发送 %2 次, 总 %3 次</source>
        <translation>Failed: wake-up %1, send %2, total %3</translation>
    </message>
    <message>
        <source>手动停止</source>
        <translation>Stopped manually</translation>
    </message>
</context>
<context>
    <name>FileTrans</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>导入图片</source>
        <translation>Import image</translation>
    </message>
    <message>
        <source>图片路径</source>
        <translation>Image path</translation>
    </message>
    <message>
        <source>发送开始</source>
        <translation>Start send</translation>
    </message>
    <message>
        <source>压缩方式</source>
        <translation>Compression</translation>
    </message>
    <message>
        <source>行程编码</source>
        <translation>RLE</translation>
    </message>
    <message>
        <source>目的地址</source>
        <translation>Target address</translation>
    </message>
    <message>
        <source>设备ID</source>
        <translation>Device ID</translation>
    </message>
    <message>
        <source>唤醒周期</source>
        <translation>Wake-up time</translation>
    </message>
    <message>
        <source>发送唤醒数据持续时间(ms)</source>
        <translation>How long the wake-up call is sent (ms)</translation>
    </message>
    <message>
        <source>图片预览</source>
        <translation>Image preview</translation>
    </message>
    <message>
        <source>显示效果</source>
        <translation>As shown</translation>
    </message>
    <message>
        <source>按显示屏收到的样子显示: 缩放、抖动后的黑白图像</source>
        <translation>Show what the display receives: the scaled, dithered black-and-white image</translation>
    </message>
    <message>
        <source>批量发送</source>
        <translation>Batch send</translation>
    </message>
    <message>
        <source>发送进度</source>
        <translation>Send progress</translation>
    </message>
    <message>
        <source>发送日志</source>
        <translation>Send log</translation>
    </message>
    <message>
        <source>发送停止</source>
        <translation>Stop send</translation>
    </message>
    <message>
        <source>文件加载成功</source>
        <translation>File loaded</translation>
    </message>
    <message>
        <source>请先打开串口</source>
        <translation>Open the port first</translation>
    </message>
    <message>
        <source>文件正在发送</source>
        <translation>A file is being sent</translation>
    </message>
</context>
<context>
    <name>ImageLoad</name>
    <message>
        <source>图片尺寸过大, 超过 %1 万像素, 无法导入</source>
        <translation>Image too large: over %1 x 10,000 pixels, cannot import</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>Telvane</translation>
    </message>
    <message>
        <source> 串口设置</source>
        <translation> Serial port</translation>
    </message>
    <message>
        <source>收发数据</source>
        <translation>Terminal</translation>
    </message>
    <message>
        <source>命令配置</source>
        <translation>Commands</translation>
    </message>
    <message>
        <source>发送图片</source>
        <translation>Send image</translation>
    </message>
    <message>
        <source>发送测试</source>
        <translation>Send test</translation>
    </message>
    <message>
        <source>告警</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>请先打开串口</source>
        <translation>Open the serial port first</translation>
    </message>
    <message>
        <source>视图</source>
        <translation>View</translation>
    </message>
    <message>
        <source>语言 / Language</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>Chinese</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>界面语言将在重新启动后切换。现在重新启动吗？</source>
        <translation>The new language takes effect after a restart. Restart now?</translation>
    </message>
    <message>
        <source>未找到命令文件 %1 (查找了 %2)</source>
        <translation>Command file %1 not found (looked in %2)</translation>
    </message>
    <message>
        <source>命令文件 %1 有误: %2</source>
        <translation>Command file %1 is invalid: %2</translation>
    </message>
    <message>
        <source>%1, 已隐藏&quot;命令配置&quot;页</source>
        <translation>%1; the &quot;Commands&quot; page is hidden</translation>
    </message>
    <message>
        <source>无法写入设置文件 %1, 本次的设置不会保存</source>
        <translation>Cannot write the settings file %1; settings of this session will not be saved</translation>
    </message>
    <message>
        <source>Telvane工具</source>
        <translation>Telvane Tool</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>正在发送，确定退出？</source>
        <translation>A transfer is running. Quit anyway?</translation>
    </message>
</context>
<context>
    <name>PageHooks</name>
    <message>
        <source>告警</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>文件正在发送</source>
        <translation>A file is being sent</translation>
    </message>
    <message>
        <source>打开图片文件</source>
        <translation>Open image file</translation>
    </message>
    <message>
        <source>打开文件失败</source>
        <translation>Cannot open file</translation>
    </message>
    <message>
        <source>加载图片未知错误</source>
        <translation>Unknown error loading image</translation>
    </message>
    <message>
        <source> %1不能为空
请输入%1</source>
        <translation> %1 must not be empty
Please enter %1</translation>
    </message>
    <message>
        <source>目的地址</source>
        <translation>Target address</translation>
    </message>
    <message>
        <source>不压缩</source>
        <translation>None</translation>
    </message>
</context>
<context>
    <name>Payload</name>
    <message>
        <source>图片数据过大: %L1 字节, 超过 %2 包, 无法发送</source>
        <translation>Image data too large: %L1 bytes, over %2 packets, cannot send</translation>
    </message>
</context>
<context>
    <name>PortDetails</name>
    <message>
        <source>
端口:	  %1
协议:	  %2
主机:	  %3
网络端口: %4</source>
        <translation>
Port:	  %1
Protocol:	  %2
Host:	  %3
Net port:	  %4</translation>
    </message>
    <message>
        <source>
端口:	  %1
位置:	  %2
描述:	  %3
厂家:	  %4
序列号:	  %5
供应商ID: %6
产品ID:	  %7
忙:	  %8</source>
        <translation>
Port:	  %1
Location:	  %2
Description:	  %3
Maker:	  %4
Serial no.:	  %5
Vendor ID:	  %6
Product ID:	  %7
Busy:	  %8</translation>
    </message>
    <message>
        <source>是</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>no</translation>
    </message>
</context>
<context>
    <name>PortFailure</name>
    <message>
        <source>当前用户没有读写 %1 的权限</source>
        <translation>The current user may not read and write %1</translation>
    </message>
    <message>
        <source>当前用户需加入设备 %1 所属的组 %2 (例如 dialout), 重新登录后生效</source>
        <translation>The current user must join group %2 of device %1 (e.g. dialout) and log in again</translation>
    </message>
    <message>
        <source>设备已拔出或不再可用</source>
        <translation>Device unplugged or no longer available</translation>
    </message>
    <message>
        <source>读取数据出错, 设备可能已断开</source>
        <translation>Read error, the device may be disconnected</translation>
    </message>
    <message>
        <source>写入数据出错</source>
        <translation>Write error</translation>
    </message>
    <message>
        <source>设备不存在</source>
        <translation>Device does not exist</translation>
    </message>
    <message>
        <source>没有访问设备的权限</source>
        <translation>No permission to access the device</translation>
    </message>
    <message>
        <source>操作超时</source>
        <translation>Operation timed out</translation>
    </message>
</context>
<context>
    <name>RefusalText</name>
    <message>
        <source>未知原因</source>
        <translation>unknown reason</translation>
    </message>
    <message>
        <source>加载图片失败: %1
%2</source>
        <translation>Cannot load image: %1
%2</translation>
    </message>
    <message>
        <source>没有可发送的图片</source>
        <translation>no image to send</translation>
    </message>
    <message>
        <source>无法读取文件 %1</source>
        <translation>cannot read file %1</translation>
    </message>
    <message>
        <source>文件 %1 过大: %2 字节, 上限 %3 字节</source>
        <translation>file %1 too large: %2 bytes, limit %3 bytes</translation>
    </message>
    <message>
        <source>压缩后的数据不比原数据小, 请选择不压缩</source>
        <translation>compressed data is not smaller than the original, choose no compression</translation>
    </message>
    <message>
        <source>压缩失败 (错误码 %1)</source>
        <translation>compression failed (error code %1)</translation>
    </message>
    <message>
        <source>生成图片数据失败: %1</source>
        <translation>Cannot build image data: %1</translation>
    </message>
</context>
<context>
    <name>RxTx</name>
    <message>
        <source>接收数据区</source>
        <translation>Received data</translation>
    </message>
    <message>
        <source>查找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>在接收区中查找 (回车: 下一个, Shift+回车: 上一个, Esc: 关闭)</source>
        <translation>Find in received data (Enter: next, Shift+Enter: previous, Esc: close)</translation>
    </message>
    <message>
        <source>上一个 (Shift+F3)</source>
        <translation>Previous (Shift+F3)</translation>
    </message>
    <message>
        <source>上一个</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>下一个 (F3)</source>
        <translation>Next (F3)</translation>
    </message>
    <message>
        <source>下一个</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>接收显示</source>
        <translation>Receive</translation>
    </message>
    <message>
        <source>Hex</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>字符</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>接收区中加入时间戳并能设置分包超时</source>
        <translation>Add time stamps to received data and split packets after a timeout</translation>
    </message>
    <message>
        <source>加时间戳
分包超时</source>
        <translation>Time stamps
Split after</translation>
    </message>
    <message>
        <source>分包超时时间</source>
        <translation>Packet split timeout</translation>
    </message>
    <message>
        <source>分包超时时间, ms</source>
        <translation>Packet split timeout, ms</translation>
    </message>
    <message>
        <source>协议解码</source>
        <translation>Decode</translation>
    </message>
    <message>
        <source>把收发的每一包数据连同时间写入日志文件</source>
        <translation>Write every packet sent or received with its time to a log file</translation>
    </message>
    <message>
        <source>保存日志</source>
        <translation>Save log</translation>
    </message>
    <message>
        <source>把接收区的内容存为文本文件</source>
        <translation>Save the received data as a text file</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Ctrl+L</source>
        <translation>Ctrl+L</translation>
    </message>
    <message>
        <source>清空接收区</source>
        <translation>Clear RX</translation>
    </message>
    <message>
        <source>目的用户ID</source>
        <translation>Dest. user ID</translation>
    </message>
    <message>
        <source>填入十六进制数</source>
        <translation>Enter a hex number</translation>
    </message>
    <message>
        <source>延时时间</source>
        <translation>Interval</translation>
    </message>
    <message>
        <source>250 ~ 4294967 ms</source>
        <translation>250 ~ 4294967 ms</translation>
    </message>
    <message>
        <source>设备地址</source>
        <translation>Device addr</translation>
    </message>
    <message>
        <source>自定义命令</source>
        <translation>Custom cmd</translation>
    </message>
    <message>
        <source>请输入十六进制数</source>
        <translation>Enter a hex number</translation>
    </message>
    <message>
        <source>十六进制数</source>
        <translation>Hex number</translation>
    </message>
    <message>
        <source>终端ID</source>
        <translation>Terminal ID</translation>
    </message>
    <message>
        <source>请输入十进制数</source>
        <translation>Enter a decimal number</translation>
    </message>
    <message>
        <source>发送历史</source>
        <translation>Send history</translation>
    </message>
    <message>
        <source>最近发送的数据; 发送区中按上下键也可翻阅</source>
        <translation>Recently sent data; Up and Down in the send area also browse it</translation>
    </message>
    <message>
        <source>发送数据区</source>
        <translation>Data to send</translation>
    </message>
    <message>
        <source>发送控制</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>加\r\n</source>
        <translation>Add \r\n</translation>
    </message>
    <message>
        <source>清空发送区</source>
        <translation>Clear TX</translation>
    </message>
    <message>
        <source>Ctrl+回车</source>
        <translation>Ctrl+Enter</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>目的地址</source>
        <translation>device address</translation>
    </message>
    <message>
        <source>告警</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source> 发送数据过长
一帧最多携带%1字节</source>
        <translation> Data too long to send
A frame carries at most %1 bytes</translation>
    </message>
    <message>
        <source> %1不能为空
请输入%1</source>
        <translation> %1 must not be empty
Please enter %1</translation>
    </message>
    <message>
        <source>未找到</source>
        <translation>Not found</translation>
    </message>
    <message>
        <source>字符错误</source>
        <translation>Invalid characters</translation>
    </message>
    <message>
        <source>仅能转换十六进制字符</source>
        <translation>Only hex characters can be converted</translation>
    </message>
    <message>
        <source>日志 (*.log *.txt);;所有文件 (*)</source>
        <translation>Logs (*.log *.txt);;All files (*)</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>无法写入日志文件
%1</source>
        <translation>Cannot write the log file
%1</translation>
    </message>
    <message>
        <source>日志写入失败, 已停止保存日志
%1</source>
        <translation>Writing the log failed, log saving stopped
%1</translation>
    </message>
    <message>
        <source>文本 (*.txt);;所有文件 (*)</source>
        <translation>Text (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>导出失败
%1: %2</source>
        <translation>Export failed
%1: %2</translation>
    </message>
</context>
<context>
    <name>TabWidgetCfgDtu</name>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>查询本页数据</source>
        <translation>Query this page</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>设置本页数据</source>
        <translation>Set this page</translation>
    </message>
    <message>
        <source> 生成查询指令</source>
        <translation> Query code</translation>
    </message>
    <message>
        <source>生成查询指令</source>
        <translation>Generate query code</translation>
    </message>
    <message>
        <source>生成设置指令</source>
        <translation>Set code</translation>
    </message>
    <message>
        <source>参数名</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>参数值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>File does not exist</translation>
    </message>
    <message>
        <source>无法读取: %1</source>
        <translation>Cannot read: %1</translation>
    </message>
</context>
<context>
    <name>TransTest</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>导入图片</source>
        <translation>Import image</translation>
    </message>
    <message>
        <source>图片路径</source>
        <translation>Image path</translation>
    </message>
    <message>
        <source>间隔时间(s)</source>
        <translation>Interval (s)</translation>
    </message>
    <message>
        <source>图片发送间隔时间, 单位: 秒</source>
        <translation>Interval between image sends, in seconds</translation>
    </message>
    <message>
        <source>发送间隔时间</source>
        <translation>Send interval</translation>
    </message>
    <message>
        <source>目的地址</source>
        <translation>Target address</translation>
    </message>
    <message>
        <source>设备ID</source>
        <translation>Device ID</translation>
    </message>
    <message>
        <source>唤醒周期(ms)</source>
        <translation>Wake-up (ms)</translation>
    </message>
    <message>
        <source>发送唤醒数据持续时间(ms)</source>
        <translation>How long the wake-up call is sent (ms)</translation>
    </message>
    <message>
        <source>压缩方式</source>
        <translation>Compression</translation>
    </message>
    <message>
        <source>行程编码</source>
        <translation>RLE</translation>
    </message>
    <message>
        <source>执行模式</source>
        <translation>Run mode</translation>
    </message>
    <message>
        <source>执行</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>自动保存结果</source>
        <translation>Auto-save results</translation>
    </message>
    <message>
        <source>每次任务结束后把结果追加到CSV文件</source>
        <translation>Append the result to a CSV file after each task</translation>
    </message>
    <message>
        <source>结果文件路径</source>
        <translation>Result file path</translation>
    </message>
    <message>
        <source>导出结果</source>
        <translation>Export results</translation>
    </message>
    <message>
        <source>把本次测试每个任务的结果和计数保存为CSV文件</source>
        <translation>Save this test&apos;s task results and counters as a CSV file</translation>
    </message>
    <message>
        <source>图片预览</source>
        <translation>Image preview</translation>
    </message>
    <message>
        <source>测试日志</source>
        <translation>Test log</translation>
    </message>
    <message>
        <source>仅唤醒</source>
        <translation>Wake-up only</translation>
    </message>
    <message>
        <source>仅发送</source>
        <translation>Send only</translation>
    </message>
    <message>
        <source>先唤醒再发送</source>
        <translation>Wake-up, then send</translation>
    </message>
    <message>
        <source>先发送再唤醒</source>
        <translation>Send, then wake-up</translation>
    </message>
    <message>
        <source>请先打开串口</source>
        <translation>Open the port first</translation>
    </message>
    <message>
        <source>无法创建结果文件, 结果只能导出
%1</source>
        <translation>Cannot create the result file, results can only be exported
%1</translation>
    </message>
    <message>
        <source>保存结果失败: %1</source>
        <translation>Cannot save results: %1</translation>
    </message>
</context>
<context>
    <name>TransferFrames</name>
    <message>
        <source>接收成功</source>
        <translation>Received</translation>
    </message>
    <message>
        <source>缓存不足</source>
        <translation>Buffer full</translation>
    </message>
    <message>
        <source>校验错误</source>
        <translation>Checksum error</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Save failed</translation>
    </message>
    <message>
        <source>转发失败</source>
        <translation>Forward failed</translation>
    </message>
    <message>
        <source>拒绝</source>
        <translation>Refused</translation>
    </message>
    <message>
        <source>其他异常</source>
        <translation>Other error</translation>
    </message>
    <message>
        <source>总包数异常</source>
        <translation>Bad packet count</translation>
    </message>
    <message>
        <source>当前包数异常</source>
        <translation>Bad packet index</translation>
    </message>
    <message>
        <source>刷屏成功</source>
        <translation>Drawn</translation>
    </message>
    <message>
        <source>解码失败</source>
        <translation>Decode failed</translation>
    </message>
    <message>
        <source>刷屏失败</source>
        <translation>Draw failed</translation>
    </message>
    <message>
        <source>未知异常</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>当前包: %1, 总包：%2, 状态: %3</source>
        <translation>Packet: %1, total: %2, status: %3</translation>
    </message>
    <message>
        <source>墨水屏 #%1 状态: %2</source>
        <translation>E-paper #%1 state: %2</translation>
    </message>
    <message>
        <source>广播</source>
        <translation>broadcast</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>唤醒地址: %1, %2 耗时: %3 秒</source>
        <translation>Wake-up address: %1, %2, took: %3 s</translation>
    </message>
</context>
<context>
    <name>TransferSession</name>
    <message>
        <source>成功</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>超时</source>
        <translation>Timed out</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>数据生成失败</source>
        <translation>Data not built</translation>
    </message>
    <message>
        <source>准备发送文件大小: %L1 字节</source>
        <translation>File size to send: %L1 bytes</translation>
    </message>
    <message>
        <source>等待唤醒.</source>
        <translation>Waiting for wake-up.</translation>
    </message>
    <message>
        <source>唤醒超时</source>
        <translation>Wake-up timed out</translation>
    </message>
    <message>
        <source>文件发送异常 %1</source>
        <translation>File send error %1</translation>
    </message>
    <message>
        <source>本次发送异常</source>
        <translation>Send failed</translation>
    </message>
    <message>
        <source>本次发送完毕, 耗时: %1 秒</source>
        <translation>Send complete, took: %1 s</translation>
    </message>
    <message>
        <source>文件发送超时</source>
        <translation>File send timed out</translation>
    </message>
</context>
</TS>
