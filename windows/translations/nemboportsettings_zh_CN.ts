<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>accessible</name>
    <message>
        <source>Sends every selected setting, in order. Ctrl+S saves the selected settings as a profile for nemboport apply; Ctrl+O opens one (also from the settings&apos; context menu).</source>
        <translation>按顺序发送所有选中的设置。Ctrl+S 将选中的设置保存为供 nemboport apply 使用的配置文件；Ctrl+O 打开配置文件（也可从设置区的右键菜单操作）。</translation>
    </message>
    <message>
        <source>Connect through a print queue</source>
        <translation>通过打印队列连接</translation>
    </message>
    <message>
        <source>Print queue</source>
        <translation>打印队列</translation>
    </message>
    <message>
        <source>Refresh the lists of printers and ports</source>
        <translation>刷新打印机和端口列表</translation>
    </message>
    <message>
        <source>Switch the interface language</source>
        <translation>切换界面语言</translation>
    </message>
    <message>
        <source>Connect through a serial port</source>
        <translation>通过串口连接</translation>
    </message>
    <message>
        <source>Serial port</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>Baud rate to open the serial port at</source>
        <translation>打开串口所用的波特率</translation>
    </message>
    <message>
        <source>Open the serial port</source>
        <translation>打开串口</translation>
    </message>
    <message>
        <source>Close the serial port</source>
        <translation>关闭串口</translation>
    </message>
    <message>
        <source>Connect through a printer port</source>
        <translation>通过打印机端口连接</translation>
    </message>
    <message>
        <source>Printer port</source>
        <translation>打印机端口</translation>
    </message>
    <message>
        <source>New instruction set</source>
        <translation>新指令集</translation>
    </message>
    <message>
        <source>Original instruction set</source>
        <translation>原指令集</translation>
    </message>
    <message>
        <source>Do not set the code page</source>
        <translation>不设置代码页</translation>
    </message>
    <message>
        <source>Code page</source>
        <translation>代码页</translation>
    </message>
    <message>
        <source>Send the code page</source>
        <translation>发送代码页设置</translation>
    </message>
    <message>
        <source>Do not set the baud rate</source>
        <translation>不设置波特率</translation>
    </message>
    <message>
        <source>New baud rate</source>
        <translation>新波特率</translation>
    </message>
    <message>
        <source>Send the baud rate</source>
        <translation>发送波特率设置</translation>
    </message>
    <message>
        <source>Do not set the darkness</source>
        <translation>不设置打印浓度</translation>
    </message>
    <message>
        <source>Darkness level</source>
        <translation>打印浓度等级</translation>
    </message>
    <message>
        <source>Send the darkness level</source>
        <translation>发送打印浓度设置</translation>
    </message>
    <message>
        <source>Do not set the barcode function</source>
        <translation>不设置条码功能</translation>
    </message>
    <message>
        <source>Barcode function on</source>
        <translation>打开条码功能</translation>
    </message>
    <message>
        <source>Barcode function off</source>
        <translation>关闭条码功能</translation>
    </message>
    <message>
        <source>Send the barcode function</source>
        <translation>发送条码功能设置</translation>
    </message>
    <message>
        <source>Do not set the cutter</source>
        <translation>不设置切刀</translation>
    </message>
    <message>
        <source>Cutter on</source>
        <translation>启用切刀</translation>
    </message>
    <message>
        <source>Cutter off</source>
        <translation>关闭切刀</translation>
    </message>
    <message>
        <source>Send the cutter setting</source>
        <translation>发送切刀设置</translation>
    </message>
    <message>
        <source>Do not set the black mark</source>
        <translation>不设置黑标</translation>
    </message>
    <message>
        <source>Black mark on</source>
        <translation>启用黑标</translation>
    </message>
    <message>
        <source>Black mark off</source>
        <translation>关闭黑标</translation>
    </message>
    <message>
        <source>Send the black mark setting</source>
        <translation>发送黑标设置</translation>
    </message>
    <message>
        <source>Do not set the cut mode</source>
        <translation>不设置切刀模式</translation>
    </message>
    <message>
        <source>Cut mode full and half cut</source>
        <translation>切刀模式：全切+半切</translation>
    </message>
    <message>
        <source>Cut mode half cut</source>
        <translation>切刀模式：半切</translation>
    </message>
    <message>
        <source>Send the cut mode</source>
        <translation>发送切刀模式设置</translation>
    </message>
    <message>
        <source>Do not set the cut feed</source>
        <translation>不设置切刀走纸</translation>
    </message>
    <message>
        <source>Cut feed in command mode</source>
        <translation>切刀走纸：指令模式</translation>
    </message>
    <message>
        <source>Cut feed in drive mode</source>
        <translation>切刀走纸：驱动模式</translation>
    </message>
    <message>
        <source>Send the cut feed</source>
        <translation>发送切刀走纸设置</translation>
    </message>
    <message>
        <source>Do not set the buzzer</source>
        <translation>不设置蜂鸣器</translation>
    </message>
    <message>
        <source>Buzzer on receiving commands</source>
        <translation>接收指令时鸣叫</translation>
    </message>
    <message>
        <source>Buzzer after a cut</source>
        <translation>切纸后鸣叫</translation>
    </message>
    <message>
        <source>Buzzer when the paper runs out</source>
        <translation>缺纸时鸣叫</translation>
    </message>
    <message>
        <source>Buzzer on other errors</source>
        <translation>其他错误时鸣叫</translation>
    </message>
    <message>
        <source>Send the buzzer events</source>
        <translation>发送蜂鸣器设置</translation>
    </message>
    <message>
        <source>Print the function list</source>
        <translation>打印功能列表</translation>
    </message>
    <message>
        <source>Print the code page list</source>
        <translation>打印代码页列表</translation>
    </message>
    <message>
        <source>Open the cash drawer</source>
        <translation>打开钱箱</translation>
    </message>
    <message>
        <source>Full cut</source>
        <translation>全切</translation>
    </message>
    <message>
        <source>Half cut</source>
        <translation>半切</translation>
    </message>
    <message>
        <source>Print a QR code</source>
        <translation>打印二维码</translation>
    </message>
    <message>
        <source>Restore the factory settings</source>
        <translation>恢复出厂设置</translation>
    </message>
    <message>
        <source>Select every setting</source>
        <translation>全部参与设置</translation>
    </message>
    <message>
        <source>Skip every setting</source>
        <translation>全部取消设置</translation>
    </message>
    <message>
        <source>Send every selected setting</source>
        <translation>一键发送所选设置</translation>
    </message>
    <message>
        <source>NV logo</source>
        <translation>NV 位图</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
</context>
<context>
    <name>CallRecord</name>
    <message>
        <source>stopped while printing: the printer may have received part or all of it</source>
        <translation>打印中被停止：打印机可能已收到其中部分或全部内容</translation>
    </message>
    <message>
        <source>taken by the printer, which cannot print: nothing printed</source>
        <translation>打印机已接收，但无法打印：未打印任何内容</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>目标</translation>
    </message>
    <message>
        <source>Document</source>
        <translation>文档名</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>长度</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>原因</translation>
    </message>
    <message>
        <source>queued by the print server</source>
        <translation>已由打印服务器排队</translation>
    </message>
    <message>
        <source>written to the port</source>
        <translation>已写入端口</translation>
    </message>
    <message>
        <source>opened</source>
        <translation>已打开</translation>
    </message>
    <message>
        <source>closed</source>
        <translation>已关闭</translation>
    </message>
    <message>
        <source>taken by the printer</source>
        <translation>打印机已接收</translation>
    </message>
    <message>
        <source>not taken by the printer; withdrawn</source>
        <translation>打印机未接收，已撤回</translation>
    </message>
    <message>
        <source>not taken by the printer; left queued</source>
        <translation>打印机未接收，留在队列中</translation>
    </message>
    <message>
        <source>status asked</source>
        <translation>已查询状态</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>失败</translation>
    </message>
</context>
<context>
    <name>CodePage</name>
    <message>
        <source>00, PC437 [American, European standard]</source>
        <translation>00,PC437 [美国，欧洲标准]</translation>
    </message>
    <message>
        <source>02, PC850 [language], European languages</source>
        <translation>02,PC850 [多语言, 西欧语]</translation>
    </message>
    <message>
        <source>03, PC860 [Portuguese]</source>
        <translation>03,PC860 [葡萄牙语]</translation>
    </message>
    <message>
        <source>04, PC863 [Canada] - French</source>
        <translation>04,PC863 [加拿大-法语]</translation>
    </message>
    <message>
        <source>05, PC865 Nordic German, Germanic]</source>
        <translation>05,PC865 [北欧- 德语，日耳曼语]</translation>
    </message>
    <message>
        <source>06, PC1252 [West Europe]</source>
        <translation>06,PC1252 [West Europe]</translation>
    </message>
    <message>
        <source>07, PC737 [Greek]</source>
        <translation>07,PC737 [Greek]</translation>
    </message>
    <message>
        <source>08, PC862 [Hebrew]</source>
        <translation>08,PC862 [Hebrew]</translation>
    </message>
    <message>
        <source>09, PC755 [East Europe]</source>
        <translation>09,PC755 [East Europe]</translation>
    </message>
    <message>
        <source>10, Iran Iran[]</source>
        <translation>10,Iran[伊朗]</translation>
    </message>
    <message>
        <source>11, CP775 [Baltic]</source>
        <translation>11,CP775 [波罗的海语]</translation>
    </message>
    <message>
        <source>12, CP932 [Japanese]</source>
        <translation>12,CP932 [日文]</translation>
    </message>
    <message>
        <source>13, CP949 [Korean]</source>
        <translation>13,CP949 [韩文]</translation>
    </message>
    <message>
        <source>14, CP950 Chinese [traditional]</source>
        <translation>14,CP950 [繁体中文]</translation>
    </message>
    <message>
        <source>15, CP936 [simplified Chinese]</source>
        <translation>15,CP936 [简体中文]</translation>
    </message>
    <message>
        <source>16, PC1252</source>
        <translation>16,PC1252</translation>
    </message>
    <message>
        <source>17, PC866 [Cyrillice*2]</source>
        <translation>17,PC866 [Cyrillice*2]</translation>
    </message>
    <message>
        <source>18, PC852 [Latin2]</source>
        <translation>18,PC852 [Latin2]</translation>
    </message>
    <message>
        <source>19, PC858 [western language]</source>
        <translation>19,PC858 [西欧语]</translation>
    </message>
    <message>
        <source>20, CP861 [Iceland]</source>
        <translation>20,CP861 [冰岛语]</translation>
    </message>
    <message>
        <source>21, CP866 [Slavic / Russian]</source>
        <translation>21,CP866 [斯拉夫语/俄语]</translation>
    </message>
    <message>
        <source>22, CP855 [Slavic Bulgaria]</source>
        <translation>22,CP855 [斯拉夫语 保加利亚]</translation>
    </message>
    <message>
        <source>23, CP857 [language]</source>
        <translation>23,CP857 [土耳其语]</translation>
    </message>
    <message>
        <source>24, CP864 [in Arabic]</source>
        <translation>24,CP864 [阿拉伯语]</translation>
    </message>
    <message>
        <source>25, CP869 [Greek (2)]</source>
        <translation>25,CP869 [希腊语(2)]</translation>
    </message>
    <message>
        <source>32, CP874 [Thai]</source>
        <translation>32,CP874 [泰文]</translation>
    </message>
    <message>
        <source>33, the CP1250[central Latin-2]</source>
        <translation>33,CP1250[中欧 Latin-2 ]</translation>
    </message>
    <message>
        <source>34, CP1251[Cyril, the Slavic Russian]</source>
        <translation>34,CP1251[西里尔文 斯拉夫语 俄语]</translation>
    </message>
    <message>
        <source>35, CP1252[in Western Europe (Latin I)]</source>
        <translation>35,CP1252[西欧(拉丁文I)]</translation>
    </message>
    <message>
        <source>36, CP1253[Greek]</source>
        <translation>36,CP1253[希腊文]</translation>
    </message>
    <message>
        <source>37, CP1254[Turkey paper]</source>
        <translation>37,CP1254[土耳其文]</translation>
    </message>
    <message>
        <source>38, CP1255[in Hebrew]</source>
        <translation>38,CP1255[希伯来文]</translation>
    </message>
    <message>
        <source>39, CP1256[in Arabic]</source>
        <translation>39,CP1256[阿拉伯文]</translation>
    </message>
    <message>
        <source>40, CP1257[Baltic]</source>
        <translation>40,CP1257[波罗的海文]</translation>
    </message>
    <message>
        <source>41, CP1258[Vietnam]</source>
        <translation>41,CP1258[越南]</translation>
    </message>
</context>
<context>
    <name>ConnectionPanel</name>
    <message>
        <source>Find printers...</source>
        <translation>查找打印机...</translation>
    </message>
</context>
<context>
    <name>FindPrintersDialog</name>
    <message>
        <source>Find printers</source>
        <translation>查找打印机</translation>
    </message>
    <message>
        <source>USB printers</source>
        <translation>USB 打印机</translation>
    </message>
    <message>
        <source>Serial ports (each probed for its baud rate)</source>
        <translation>串口（逐个探测其波特率）</translation>
    </message>
    <message>
        <source>Network:</source>
        <translation>网络：</translation>
    </message>
    <message>
        <source>Addresses, host names or networks (192.168.1.0/24), separated by blanks; auto: this computer&apos;s own networks of at most 256 addresses</source>
        <translation>地址、主机名或网段（192.168.1.0/24），以空格分隔；auto：本机所在的、不超过 256 个地址的网段</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>端口：</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜索</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Choose where to look, then press Search.</source>
        <translation>选择查找范围，然后按“搜索”。</translation>
    </message>
    <message>
        <source>Connection</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>打印机</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>Print queues</source>
        <translation>打印队列</translation>
    </message>
    <message>
        <source>Queue name:</source>
        <translation>队列名称：</translation>
    </message>
    <message>
        <source>Add as print queue</source>
        <translation>添加为打印队列</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Choose at least one place to look.</source>
        <translation>请至少选择一个查找范围。</translation>
    </message>
    <message>
        <source>Searching...</source>
        <translation>正在搜索...</translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation>正在停止...</translation>
    </message>
    <message>
        <source>USB</source>
        <translation>USB</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>网络</translation>
    </message>
    <message>
        <source>%1 %2 at %3 baud</source>
        <translation>%1 %2，%3 波特</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>(tells no name)</source>
        <translation>（未告知名称）</translation>
    </message>
    <message>
        <source>Not asked</source>
        <translation>未查询</translation>
    </message>
    <message>
        <source>Only the print server sees this printer; add it as a print queue to reach it.</source>
        <translation>只有打印服务器能看到这台打印机；将其添加为打印队列后即可使用。</translation>
    </message>
    <message>
        <source>none</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Command set: %1</source>
        <translation>指令集：%1</translation>
    </message>
    <message>
        <source>Firmware: %1</source>
        <translation>固件：%1</translation>
    </message>
    <message>
        <source>Serial number: %1</source>
        <translation>序列号：%1</translation>
    </message>
    <message>
        <source>Device URI: %1</source>
        <translation>设备 URI：%1</translation>
    </message>
    <message>
        <source>Port open, not a receipt printer</source>
        <translation>端口已打开，但不是小票打印机</translation>
    </message>
    <message>
        <source>It answered %1.</source>
        <translation>它的应答为 %1。</translation>
    </message>
    <message>
        <source>It did not answer (a printer busy with another connection answers later).</source>
        <translation>它没有应答（正忙于另一连接的打印机会稍后应答）。</translation>
    </message>
    <message>
        <source>No receipt printer answered at any baud rate</source>
        <translation>在任何波特率下都没有小票打印机应答</translation>
    </message>
    <message>
        <source>Could not be probed</source>
        <translation>无法探测</translation>
    </message>
    <message>
        <source>Skipped: another program holds it</source>
        <translation>已跳过：被另一程序占用</translation>
    </message>
    <message>
        <source>Skipped: permission denied (join the group dialout)</source>
        <translation>已跳过：权限不足（请加入 dialout 组）</translation>
    </message>
    <message>
        <source>Searching: %1 of %2 looked at, %3 found</source>
        <translation>正在搜索：已查看 %1/%2，找到 %3 台</translation>
    </message>
    <message>
        <source>Stopped: %1 receipt printers found</source>
        <translation>已停止：找到 %1 台小票打印机</translation>
    </message>
    <message>
        <source>No receipt printer found.</source>
        <translation>未找到小票打印机。</translation>
    </message>
    <message>
        <source>Done: %1 receipt printers found</source>
        <translation>完成：找到 %1 台小票打印机</translation>
    </message>
    <message>
        <source>USB printers were not looked for: %1 cannot list them.</source>
        <translation>未查找 USB 打印机：%1 无法列出它们。</translation>
    </message>
    <message>
        <source>USB printers were not looked for: %1</source>
        <translation>未查找 USB 打印机：%1</translation>
    </message>
    <message>
        <source>The print server shows the USB printers it sees only to its administrators: the USB printers listed are those this computer&apos;s printer driver holds.</source>
        <translation>打印服务器只向其管理员显示它看到的 USB 打印机：列出的 USB 打印机是本机打印机驱动所管理的。</translation>
    </message>
    <message>
        <source>Serial ports were not probed: %1 cannot open or ask them.</source>
        <translation>未探测串口：%1 无法打开或查询它们。</translation>
    </message>
    <message>
        <source>The print queues leading to each printer are not known.</source>
        <translation>无法得知通往各打印机的打印队列。</translation>
    </message>
    <message>
        <source>The network was not searched: &quot;%1&quot; is no address, host name or network.</source>
        <translation>未搜索网络：“%1”不是地址、主机名或网段。</translation>
    </message>
    <message>
        <source>The network was not searched: no host is named &quot;%1&quot;.</source>
        <translation>未搜索网络：没有名为“%1”的主机。</translation>
    </message>
    <message>
        <source>The network was not searched: %1 covers %2 addresses, more than %3.</source>
        <translation>未搜索网络：%1 包含 %2 个地址，超过 %3 个。</translation>
    </message>
    <message>
        <source>The network was not searched: this computer is on no network of at most %1 addresses; enter the addresses to search.</source>
        <translation>未搜索网络：本机不在任何不超过 %1 个地址的网段中；请输入要搜索的地址。</translation>
    </message>
    <message>
        <source>Use this port at %1 baud</source>
        <translation>以 %1 波特使用此端口</translation>
    </message>
    <message>
        <source>Enter a name for the print queue.</source>
        <translation>请输入打印队列的名称。</translation>
    </message>
    <message>
        <source>A print queue&apos;s name has at most 127 bytes.</source>
        <translation>打印队列名称最多 127 个字节。</translation>
    </message>
    <message>
        <source>A print queue&apos;s name has no blanks.</source>
        <translation>打印队列名称不能包含空格。</translation>
    </message>
    <message>
        <source>A print queue&apos;s name has none of / \ ? &apos; &quot; # @ (this one has %1).</source>
        <translation>打印队列名称不能包含 / \ ? &apos; &quot; # @（此名称包含 %1）。</translation>
    </message>
    <message>
        <source>A print queue named %1 exists already. Make it anew for this printer (%2)? It then sends to this printer, without a driver.</source>
        <translation>名为 %1 的打印队列已存在。要为这台打印机（%2）重新建立它吗？之后它将不经驱动直接发送到这台打印机。</translation>
    </message>
    <message>
        <source>You may not add print queues on this computer&apos;s print server. Join the group lpadmin (sudo usermod -aG lpadmin %1, then log in again), or ask its administrator.</source>
        <translation>您无权在本机的打印服务器上添加打印队列。请加入 lpadmin 组（sudo usermod -aG lpadmin %1，然后重新登录），或联系其管理员。</translation>
    </message>
    <message>
        <source>The print server did not make the print queue %1.</source>
        <translation>打印服务器未能建立打印队列 %1。</translation>
    </message>
</context>
<context>
    <name>RecordWindow</name>
    <message>
        <source>Record of sends</source>
        <translation>发送记录</translation>
    </message>
    <message>
        <source>Bytes (hex)</source>
        <translation>字节（十六进制）</translation>
    </message>
    <message>
        <source>Meaning</source>
        <translation>含义</translation>
    </message>
    <message>
        <source>Copy rows</source>
        <translation>复制所选行</translation>
    </message>
    <message>
        <source>Save bytes as .bin...</source>
        <translation>保存字节为 .bin…</translation>
    </message>
    <message>
        <source>The file could not be saved.</source>
        <translation>无法保存文件。</translation>
    </message>
</context>
<context>
    <name>StartupNotice</name>
    <message>
        <source>Looking for printers...</source>
        <translation>正在查找打印机…</translation>
    </message>
</context>
<context>
    <name>captions</name>
    <message>
        <source>Torvane KX-410 thermal printer setting tool  V1.2</source>
        <translation>Torvane KX-410系列打印机设置工具 V1.2</translation>
    </message>
    <message>
        <source>Connection settings</source>
        <translation>连接设置</translation>
    </message>
    <message>
        <source>Using the drive:</source>
        <translation>通过驱动程序连接：</translation>
    </message>
    <message>
        <source>Using serial :</source>
        <translation>直接访问串口：</translation>
    </message>
    <message>
        <source>Using parallel:</source>
        <translation>直接访问并口：</translation>
    </message>
    <message>
        <source>Baud rate:</source>
        <translation>波特率：</translation>
    </message>
    <message>
        <source>OpenCOM</source>
        <translation>打开串口</translation>
    </message>
    <message>
        <source>CloseCOM</source>
        <translation>关闭串口</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>Original instruction</source>
        <translation>原指令</translation>
    </message>
    <message>
        <source>New instruction</source>
        <translation>新指令</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>No Set</source>
        <translation>不设置</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Set the default font</source>
        <translation>设置默认语言(ESC R n或ESC t n)</translation>
    </message>
    <message>
        <source>Baud rate config(restart printer)</source>
        <translation>串口配置(修改后需重启打印机)</translation>
    </message>
    <message>
        <source>New Baud rate:</source>
        <translation>设置波特率为：</translation>
    </message>
    <message>
        <source>Print Darkness</source>
        <translation>打印浓度设置</translation>
    </message>
    <message>
        <source>Print Darkness:</source>
        <translation>打印浓度等级：</translation>
    </message>
    <message>
        <source>Barcode function</source>
        <translation>条码功能是否使用设置</translation>
    </message>
    <message>
        <source>Black label function</source>
        <translation>黑标功能设置</translation>
    </message>
    <message>
        <source>Buzzer function Settings</source>
        <translation>蜂鸣器功能设置</translation>
    </message>
    <message>
        <source>Receive control instructions alarm</source>
        <translation>接收和设置提示音</translation>
    </message>
    <message>
        <source>Paper cutting after the alarm</source>
        <translation>切纸后鸣叫</translation>
    </message>
    <message>
        <source>The lack of printing paper alarm</source>
        <translation>缺纸后鸣叫</translation>
    </message>
    <message>
        <source>Other error alarm</source>
        <translation>其他错误鸣叫</translation>
    </message>
    <message>
        <source>Cutter control</source>
        <translation>切刀功能是否使用</translation>
    </message>
    <message>
        <source>Cut Mode</source>
        <translation>切刀模式</translation>
    </message>
    <message>
        <source>Full+Half</source>
        <translation>全切+半切</translation>
    </message>
    <message>
        <source>Half</source>
        <translation>半切</translation>
    </message>
    <message>
        <source>Cutter feed control</source>
        <translation>切刀走纸控制</translation>
    </message>
    <message>
        <source>Command mode</source>
        <translation>指令模式</translation>
    </message>
    <message>
        <source>Drive mode</source>
        <translation>驱动模式</translation>
    </message>
    <message>
        <source>Print Test</source>
        <translation>综合测试</translation>
    </message>
    <message>
        <source>Function List</source>
        <translation>打印功能列表</translation>
    </message>
    <message>
        <source>Language List</source>
        <translation>打印语言列表</translation>
    </message>
    <message>
        <source>Test Cashbox</source>
        <translation>测试钱箱</translation>
    </message>
    <message>
        <source>Full Cut</source>
        <translation>全切</translation>
    </message>
    <message>
        <source>Half Cut</source>
        <translation>半切</translation>
    </message>
    <message>
        <source>Restore default set</source>
        <translation>恢复出厂设置</translation>
    </message>
    <message>
        <source>Open all settings</source>
        <translation>全部参与设置</translation>
    </message>
    <message>
        <source>Close all settings</source>
        <translation>全部取消设置</translation>
    </message>
    <message>
        <source>A key update</source>
        <translation>一键更新</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>关于</translation>
    </message>
</context>
<context>
    <name>librarycall</name>
    <message>
        <source>Sending %1 bytes, about %2 s left</source>
        <translation>正在发送 %1 字节，约剩 %2 秒</translation>
    </message>
    <message>
        <source>Waiting for the printer I/O library... %1 s</source>
        <translation>正在等待打印机 I/O 库… %1 秒</translation>
    </message>
</context>
<context>
    <name>messages</name>
    <message>
        <source>Ask again</source>
        <translation>重新询问</translation>
    </message>
    <message>
        <source>Copy the printer&apos;s identity</source>
        <translation>复制打印机标识</translation>
    </message>
    <message>
        <source>Profiles (*.ini);;All files (*)</source>
        <translation>配置文件 (*.ini);;所有文件 (*)</translation>
    </message>
    <message>
        <source>Save as profile...</source>
        <translation>另存为配置文件…</translation>
    </message>
    <message>
        <source>Open profile...</source>
        <translation>打开配置文件…</translation>
    </message>
    <message>
        <source>it sets nothing</source>
        <translation>其中没有任何设置</translation>
    </message>
    <message>
        <source>Saved %1 settings and the connection as the profile %2</source>
        <translation>已将 %1 项设置和连接保存为配置文件 %2</translation>
    </message>
    <message>
        <source>Opened the profile %1: %2 settings selected, nothing sent</source>
        <translation>已打开配置文件 %1：选中 %2 项设置，未发送任何内容</translation>
    </message>
    <message>
        <source>The settings could not be saved as a profile.</source>
        <translation>无法将设置保存为配置文件。</translation>
    </message>
    <message>
        <source>The profile %1 could not be saved.</source>
        <translation>无法保存配置文件 %1。</translation>
    </message>
    <message>
        <source>The profile %1 could not be opened.</source>
        <translation>无法打开配置文件 %1。</translation>
    </message>
    <message>
        <source>Queue paused</source>
        <translation>队列已暂停</translation>
    </message>
    <message>
        <source>Queue not accepting jobs</source>
        <translation>队列不接收作业</translation>
    </message>
    <message>
        <source>The one-key update sent nothing: every group is set to No Set.</source>
        <translation>一键更新未发送任何内容：所有组都设为“不设置”。</translation>
    </message>
    <message>
        <source>The one-key update stopped at %1 after %2 of %3 settings.</source>
        <translation>一键更新在 %1 处停止，此前已发送 %3 项设置中的 %2 项。</translation>
    </message>
    <message>
        <source>%1 of %2 settings sent; the printer took them. The rest were left out: the baud rate closed the serial port.</source>
        <translation>已发送 %2 项设置中的 %1 项，打印机已接收。其余各项未发送：波特率设置关闭了串口。</translation>
    </message>
    <message>
        <source>%1 of %2 settings sent; the printer took them.</source>
        <translation>已发送 %2 项设置中的 %1 项，打印机已接收。</translation>
    </message>
    <message>
        <source>Set back as designed: %1.</source>
        <translation>已按设计恢复：%1。</translation>
    </message>
    <message>
        <source>; </source>
        <translation>；</translation>
    </message>
    <message>
        <source>every group to No Set</source>
        <translation>所有组恢复为“不设置”</translation>
    </message>
    <message>
        <source>darkness to %1</source>
        <translation>打印浓度恢复为 %1</translation>
    </message>
    <message>
        <source>the code page to %1</source>
        <translation>代码页恢复为 %1</translation>
    </message>
    <message>
        <source>The one-key update stopped at %1: its job was stopped while printing, so the printer may have received part or all of it. %2 of the %3 selected steps were sent before it.</source>
        <translation>一键更新在%1处停止：其作业在打印过程中被停止，打印机可能已收到其中部分或全部内容。所选 %3 项中此前已发送 %2 项。</translation>
    </message>
    <message>
        <source>Sent %1 bytes %2 to %3: stopped while printing: the printer may have received part or all of it</source>
        <translation>已发送 %1 字节 %2 到 %3：打印中被停止：打印机可能已收到其中部分或全部内容</translation>
    </message>
    <message>
        <source>The job was stopped while the print server was handing it to the printer: the printer may have received part or all of it.</source>
        <translation>打印服务器正在将作业交给打印机时作业被停止：打印机可能已收到其中部分或全部内容。</translation>
    </message>
    <message>
        <source>Sent %1 bytes %2 to %3: the printer took it but reports %4: nothing printed</source>
        <translation>已向 %3 发送 %1 字节 %2：打印机已接收，但报告%4：未打印任何内容</translation>
    </message>
    <message>
        <source>The one-key update stopped at %1: the printer took it but reports %2, so nothing printed. %3 of the %4 selected steps were sent before it.</source>
        <translation>一键更新在 %1 处停止：打印机已接收，但报告%2，因此未打印任何内容。此前已发送所选 %4 步中的 %3 步。</translation>
    </message>
    <message>
        <source>Choose a print queue, a serial port or a printer port in the connection group first.</source>
        <translation>请先在连接设置中选择打印队列、串口或并口。</translation>
    </message>
    <message>
        <source>The printer I/O library %1 could not be loaded, so nothing can be sent.</source>
        <translation>无法加载打印机 I/O 库 %1，无法发送。</translation>
    </message>
    <message>
        <source>The printer I/O library %1 has no export %2.</source>
        <translation>打印机 I/O 库 %1 缺少导出函数 %2。</translation>
    </message>
    <message>
        <source>Serial port failed to open!!!</source>
        <translation>串口打开失败!!!</translation>
    </message>
    <message>
        <source>Connection error，Port %1 does not exist or has been occupied by other programs</source>
        <translation>连接出错，端口%1不存在或已被其它程序占用</translation>
    </message>
    <message>
        <source>Close the %1port error</source>
        <translation>关闭端口%1错误</translation>
    </message>
    <message>
        <source>Baud rate changes, need to restart the printer！！！</source>
        <translation>波特率修改后，需要重新启动打印机！！！</translation>
    </message>
    <message>
        <source>Something else went wrong.</source>
        <translation>发生了其他错误。</translation>
    </message>
    <message>
        <source>The print queue, serial port or printer device was not found.</source>
        <translation>找不到该打印队列、串口或打印机设备。</translation>
    </message>
    <message>
        <source>The port is held by another program.</source>
        <translation>该端口正被其它程序占用。</translation>
    </message>
    <message>
        <source>You are not allowed to open the device.</source>
        <translation>没有打开该设备的权限。</translation>
    </message>
    <message>
        <source>The printer stopped taking data (timed out).</source>
        <translation>打印机停止接收数据（超时）。</translation>
    </message>
    <message>
        <source>The device was lost: unplugged, closed at the far end, or an I/O error.</source>
        <translation>设备已断开或出现输入输出错误。</translation>
    </message>
    <message>
        <source>The print server cannot be reached (CUPS is not running or went away).</source>
        <translation>无法连接打印服务器（CUPS 未运行或已退出）。</translation>
    </message>
    <message>
        <source>The print queue does not accept jobs.</source>
        <translation>打印队列拒绝接收作业。</translation>
    </message>
    <message>
        <source>A name, length or rate is invalid, or the path is not a device.</source>
        <translation>名称、长度或速率无效，或该路径不是设备。</translation>
    </message>
    <message>
        <source>This connection carries no answers from the printer.</source>
        <translation>此连接无法读回打印机的应答。</translation>
    </message>
    <message>
        <source>The job is waiting in the print queue: the printer has not taken it.</source>
        <translation>作业在打印队列中等待，打印机尚未接收。</translation>
    </message>
    <message>
        <source>&quot;%1&quot;</source>
        <translation>“%1”</translation>
    </message>
    <message>
        <source>: </source>
        <translation>：</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <comment>a text and its reason</comment>
        <translation>%1%2</translation>
    </message>
    <message>
        <source>%1 could not be sent.</source>
        <translation>%1发送失败。</translation>
    </message>
    <message>
        <source>The one-key update stopped at %1: it could not be sent. %2 of the %3 selected steps were sent before it.</source>
        <translation>一键更新在%1处停止：该项发送失败，所选 %3 项中此前已发送 %2 项。</translation>
    </message>
    <message>
        <source>Sent %1 bytes %2 to %3: queued by the print server</source>
        <translation>已发送 %1 字节 %2 到 %3：已由打印服务器排队</translation>
    </message>
    <message>
        <source>Sent %1 bytes %2: written to %3</source>
        <translation>已发送 %1 字节 %2：已写入 %3</translation>
    </message>
    <message>
        <source>Sending %1 bytes %2 to %3 failed%4</source>
        <translation>发送 %1 字节 %2 到 %3 失败%4</translation>
    </message>
    <message>
        <source>Sent %1 bytes %2 to %3: the printer took it</source>
        <translation>已发送 %1 字节 %2 到 %3：打印机已接收</translation>
    </message>
    <message>
        <source>Sent %1 bytes %2 to %3: the printer did not take it; the job was withdrawn</source>
        <translation>已发送 %1 字节 %2 到 %3：打印机未接收，作业已从队列撤回</translation>
    </message>
    <message>
        <source>Sent %1 bytes %2 to %3: the printer did not take it; the job was left queued</source>
        <translation>已发送 %1 字节 %2 到 %3：打印机未接收，作业仍留在队列中</translation>
    </message>
    <message>
        <source>%1 is still waiting in the print queue %2: the printer has not taken it.
Withdraw the job from the queue? (No leaves it queued: it prints whenever the printer takes it.)</source>
        <translation>%1仍在打印队列 %2 中等待，打印机尚未接收。
要从队列撤回该作业吗？（选“否”则留在队列中，打印机恢复后才会打印。）</translation>
    </message>
    <message>
        <source>%1 could not be withdrawn from the print queue %2: the job is still queued.</source>
        <translation>无法从打印队列 %2 撤回%1：该作业仍在队列中。</translation>
    </message>
    <message>
        <source>the job was withdrawn</source>
        <translation>作业已撤回</translation>
    </message>
    <message>
        <source>the job was left queued</source>
        <translation>作业仍留在队列中</translation>
    </message>
    <message>
        <source>The one-key update stopped at %1: the printer did not take it (%2). %3 of the %4 selected steps were sent before it.</source>
        <translation>一键更新在%1处停止：打印机未接收该项（%2），所选 %4 项中此前已发送 %3 项。</translation>
    </message>
    <message>
        <source>There is no print queue to send to. Add a printer, or press Refresh.</source>
        <translation>没有可用的打印队列，无法发送。请添加打印机或点击“刷新”。</translation>
    </message>
    <message>
        <source>No serial port is chosen, so nothing can be sent.</source>
        <translation>没有选择串口，无法发送。</translation>
    </message>
    <message>
        <source>No printer port is chosen, so nothing can be sent.</source>
        <translation>没有选择打印机端口，无法发送。</translation>
    </message>
    <message>
        <source>Found %1 print queues, %2 serial ports and %3 printer ports</source>
        <translation>找到 %1 个打印队列、%2 个串口和 %3 个打印机端口</translation>
    </message>
    <message>
        <source>%1; the print queues could not be listed: %2</source>
        <translation>%1；无法列出打印队列：%2</translation>
    </message>
    <message>
        <source>Serial port %1 opened at %2 baud</source>
        <translation>串口 %1 已打开，波特率 %2</translation>
    </message>
    <message>
        <source>Serial port %1 could not be opened%2</source>
        <translation>串口 %1 打开失败%2</translation>
    </message>
    <message>
        <source>Serial port %1 closed</source>
        <translation>串口 %1 已关闭</translation>
    </message>
    <message>
        <source>Serial port %1 could not be closed%2</source>
        <translation>串口 %1 关闭失败%2</translation>
    </message>
    <message>
        <source>idle</source>
        <translation>空闲</translation>
    </message>
    <message>
        <source>printing</source>
        <translation>正在打印</translation>
    </message>
    <message>
        <source>paused</source>
        <translation>已暂停</translation>
    </message>
    <message>
        <source>not accepting jobs</source>
        <translation>不接收作业</translation>
    </message>
    <message>
        <source>, </source>
        <translation>，</translation>
    </message>
    <message>
        <source> (%1)</source>
        <translation>（%1）</translation>
    </message>
    <message>
        <source>Print queue %1: %2</source>
        <translation>打印队列 %1：%2</translation>
    </message>
    <message>
        <source>Conditions: %1</source>
        <translation>状态：%1</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between conditions</comment>
        <translation>、</translation>
    </message>
    <message>
        <source>maker</source>
        <translation>厂商</translation>
    </message>
    <message>
        <source>model</source>
        <translation>型号</translation>
    </message>
    <message>
        <source>firmware</source>
        <translation>固件</translation>
    </message>
    <message>
        <source>serial number</source>
        <translation>序列号</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>就绪</translation>
    </message>
    <message>
        <source>Paper near end</source>
        <translation>纸将尽</translation>
    </message>
    <message>
        <source>Paper out</source>
        <translation>缺纸</translation>
    </message>
    <message>
        <source>Cover open</source>
        <translation>上盖打开</translation>
    </message>
    <message>
        <source>Off-line</source>
        <translation>脱机</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Answered in %1 ms</source>
        <translation>应答用时 %1 毫秒</translation>
    </message>
    <message>
        <source>Left unanswered: %1</source>
        <translation>未应答：%1</translation>
    </message>
    <message>
        <source>%1. %2</source>
        <translation>%1。%2</translation>
    </message>
    <message>
        <source>; </source>
        <translation>；</translation>
    </message>
    <message>
        <source>No answer</source>
        <translation>无应答</translation>
    </message>
    <message>
        <source>The printer did not answer: check that it is on and connected, and over a serial port that the baud rate is the printer&apos;s.</source>
        <translation>打印机没有应答：请检查电源、连接线，串口还要检查波特率。</translation>
    </message>
    <message>
        <source>What came back is not a receipt printer&apos;s status answer (a serial port at the wrong baud rate reads like this).</source>
        <translation>收到的数据不是热敏打印机的状态应答（串口波特率不对时就是这样）。</translation>
    </message>
    <message>
        <source>Not available on this connection</source>
        <translation>此连接不支持查询</translation>
    </message>
    <message>
        <source>The printer I/O library %1 cannot ask the printer (it has no QueryPrinter).</source>
        <translation>打印机 I/O 库 %1 无法查询打印机状态（缺少 QueryPrinter）。</translation>
    </message>
</context>
<context>
    <name>printer condition</name>
    <message>
        <source>on-line</source>
        <translation>联机</translation>
    </message>
</context>
</TS>
