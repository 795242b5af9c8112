<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>BatchPanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>目标地址, 每行一个 (可输入、粘贴或读取文本/CSV文件)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>目标地址列表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>读取地址</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>从文本或CSV文件读取目标地址, 每行一个</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>批量发送</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重试失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>只向未成功的地址再发送一次</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>停止</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>导出结果</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>把结果表保存为CSV文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>批量发送结果</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>批量发送进度</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CfgDetail</name>
    <message>
        <source>串口详细配置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>详细设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>端口号:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>波特率:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据位:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>停止位:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>奇偶校验:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>流控制:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>端口信息</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CfgDtu</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备地址</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>模式:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>起始:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>255</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> 结束:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>生成命令码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>复制到剪贴板</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>复制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>命令列表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>命令参数</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CfgSerial</name>
    <message>
        <source>端口号:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>刷新端口</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开串口</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>波特率:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串口断开后, 同一串口在限定时间内回来时用相同参数重新打开</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自动重连</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据终端就绪 (DTR) 信号线</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DTR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请求发送 (RTS) 信号线</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RTS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串口详细配置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>详细配置</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DtuCommands</name>
    <message>
        <source>无线信道</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>信道号</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0 到 31，433.0 MHz 起每档 0.5 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>中心频率(MHz)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备按信道号算出的中心频率，只读</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发射功率</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>功率档位</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0 到 7，档位越高功率越大</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>输出功率(dBm)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>-9 到 20 dBm，可为负数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备地址</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>本机地址</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>32 位设备地址，十六进制，如 1A2B3C4D</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>网络号</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>同一网络号的设备才能互通</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>空中速率</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>速率档位</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0:1.2k 1:2.4k 2:4.8k 3:9.6k 4:19.2k 5:38.4k bps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>前向纠错</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 开启 FEC，距离更远但速率降低</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无线侧串口</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>波特率</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1200 到 115200</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据位</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>7 或 8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>停止位</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 或 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>校验</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0 无校验，1 奇校验，2 偶校验</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>固件版本</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>版本号</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>如 V2.3.1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>编译日期</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>硬件版本</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>高字节主版本，低字节次版本</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>工作模式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>透传模式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 透传，0 定点</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>低功耗</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 周期唤醒接收，省电</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>唤醒周期(ms)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>低功耗时的接收周期，250 到 4000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>信号质量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>接收强度(dBm)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最近一帧的 RSSI</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>信噪比(dB)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>丢包计数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上电以来校验失败的帧数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最多 20 字节，UTF-8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>频率校准</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>晶振偏差(ppm)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>可为负数，如 -2.5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>温度补偿</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>补偿系数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>三段温度的补偿值，空格分隔</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>加密密钥</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>密钥</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>8 字节，空格分隔，如 1f 2e 3d 4c 5b 6a 79 88</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>启用加密</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确认码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>写入 A55A 才会执行</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重启设备</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>延时(s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>收到命令后等待多少秒重启，0 立即重启</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>调试寄存器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>寄存器地址</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>仅供厂内调试</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>寄存器值</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FileTrans</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>导入图片</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>图片路径</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送开始</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>压缩方式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>行程编码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>目的地址</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1674097996</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>唤醒周期</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送唤醒数据持续时间(ms)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>10000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>图片预览</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>显示效果</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>按显示屏收到的样子显示: 缩放、抖动后的黑白图像</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>批量发送</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送进度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送日志</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> 串口设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>收发数据</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>命令配置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送图片</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送测试</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>告警</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请先打开串口</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>视图</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>语言 / Language</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>中文</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>English</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>界面语言将在重新启动后切换。现在重新启动吗？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未找到命令文件 %1 (查找了 %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>命令文件 %1 有误: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, 已隐藏&quot;命令配置&quot;页</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法写入设置文件 %1, 本次的设置不会保存</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Telvane工具</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>提示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>正在发送，确定退出？</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>打开图片文件</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RxTx</name>
    <message>
        <source>接收数据区</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>查找</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>在接收区中查找 (回车: 下一个, Shift+回车: 上一个, Esc: 关闭)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上一个 (Shift+F3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上一个</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下一个 (F3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下一个</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>接收显示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hex</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>字符</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>接收区中加入时间戳并能设置分包超时</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>加时间戳
分包超时</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分包超时时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分包超时时间, ms</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>20</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>协议解码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>把收发的每一包数据连同时间写入日志文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存日志</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>把接收区的内容存为文本文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>导出</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+L</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>清空接收区</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>目的用户ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>填入十六进制数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>延时时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>250 ~ 4294967 ms</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>250</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备地址</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自定义命令</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请输入十六进制数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>十六进制数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>终端ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请输入十进制数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送历史</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最近发送的数据; 发送区中按上下键也可翻阅</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送数据区</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送控制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>加\r\n</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>清空发送区</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+回车</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TransTest</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>导入图片</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>图片路径</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>间隔时间(s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>图片发送间隔时间, 单位: 秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送间隔时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>10</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>目的地址</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1674097996</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>唤醒周期(ms)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送唤醒数据持续时间(ms)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>压缩方式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>行程编码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>执行模式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>执行</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>停止</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自动保存结果</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>每次任务结束后把结果追加到CSV文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>结果文件路径</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>导出结果</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>把本次测试每个任务的结果和计数保存为CSV文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>图片预览</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>测试日志</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
