<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Nemboport</name>
    <message>
        <source>the name %1 cannot stand in a profile</source>
        <translation>名称 %1 无法写入配置文件</translation>
    </message>
    <message>
        <source>; the %1 jobs sent after it wait behind it in the queue</source>
        <translation>；其后发送的 %1 个作业在队列中排在其后等待</translation>
    </message>
    <message>
        <source>; the 1 job sent after it waits behind it in the queue</source>
        <translation>；其后发送的 1 个作业在队列中排在其后等待</translation>
    </message>
    <message>
        <source>; the %1 jobs sent after it were stopped too</source>
        <translation>；其后发送的 %1 个作业也已停止</translation>
    </message>
    <message>
        <source>; the 1 job sent after it was stopped too</source>
        <translation>；其后发送的 1 个作业也已停止</translation>
    </message>
    <message>
        <source>; the %1 jobs sent after it were withdrawn</source>
        <translation>；其后发送的 %1 个作业已撤回</translation>
    </message>
    <message>
        <source>; the 1 job sent after it was withdrawn</source>
        <translation>；其后发送的 1 个作业已撤回</translation>
    </message>
    <message>
        <source>warning: %1 is not usable (%2): its jobs wait in the queue</source>
        <translation>警告：%1 不可用（%2）：其作业将在队列中等待</translation>
    </message>
    <message>
        <source>%1: not sent: the print server reports the queue %2</source>
        <translation>%1：未发送：打印服务器报告该队列%2</translation>
    </message>
    <message>
        <source>%1: %2 was still being handed to the printer after %3 s and was stopped while printing: the printer may have received part or all of it</source>
        <translation>%1：%2 在 %3 秒后仍在交给打印机，已在打印中被停止：打印机可能已收到其中部分或全部内容</translation>
    </message>
    <message>
        <source>%1: the printer took %2 but reports %3: nothing printed</source>
        <translation>%1：打印机接收了 %2，但报告%3：未打印任何内容</translation>
    </message>
    <message>
        <source>apply takes one PROFILE file</source>
        <translation>apply 只接受一个 PROFILE 文件</translation>
    </message>
    <message>
        <source>%1: the profile sets nothing</source>
        <translation>%1：配置文件没有设置任何项</translation>
    </message>
    <message>
        <source>profile takes no arguments</source>
        <translation>profile 不接受参数</translation>
    </message>
    <message>
        <source>decode takes one FILE, or - for standard input</source>
        <translation>decode 只接受一个 FILE，或用 - 表示标准输入</translation>
    </message>
    <message>
        <source>decode takes a FILE, or bytes piped in (see nemboport decode --help)</source>
        <translation>decode 需要一个 FILE，或通过管道输入的字节（见 nemboport decode --help）</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
    <message>
        <source>cupsenable %1 resumes it</source>
        <translation>cupsenable %1 可恢复它</translation>
    </message>
    <message>
        <source>cupsaccept %1 lets it take jobs</source>
        <translation>cupsaccept %1 可让它接收作业</translation>
    </message>
    <message>
        <source>cannot list the print queues: %1</source>
        <translation>无法列出打印队列：%1</translation>
    </message>
    <message>
        <source>list takes only --json</source>
        <translation>list 只接受 --json</translation>
    </message>
    <message>
        <source>%1 lacks the export %2</source>
        <translation>%1 缺少导出函数 %2</translation>
    </message>
    <message>
        <source>(not usable: %1)</source>
        <translation>（不可用：%1）</translation>
    </message>
    <message>
        <source>no print queues, serial ports or printer ports found</source>
        <translation>未找到打印队列、串口或打印机端口</translation>
    </message>
    <message>
        <source>%1: %2 (--fit scales it down to %3 dots, keeping its proportions)</source>
        <translation>%1：%2（--fit 可按原比例缩小到 %3 点）</translation>
    </message>
    <message>
        <source>%1: no picture</source>
        <translation>%1：没有图片</translation>
    </message>
    <message>
        <source>logo takes download FILE, clear or print (see nemboport logo --help)</source>
        <translation>logo 接受 download FILE、clear 或 print（见 nemboport logo --help）</translation>
    </message>
    <message>
        <source>--model, --no-halftone and --fit go with logo download</source>
        <translation>--model、--no-halftone 和 --fit 只能与 logo download 一起使用</translation>
    </message>
    <message>
        <source>--align goes with logo print</source>
        <translation>--align 只能与 logo print 一起使用</translation>
    </message>
    <message>
        <source>logo download takes one FILE</source>
        <translation>logo download 只接受一个 FILE</translation>
    </message>
    <message>
        <source>logo %1 takes no further words</source>
        <translation>logo %1 不接受更多参数</translation>
    </message>
    <message>
        <source>--align %1: expected left, middle or right</source>
        <translation>--align %1：应为 left、middle 或 right</translation>
    </message>
    <message>
        <source>trying %1 baud</source>
        <translation>尝试 %1 波特</translation>
    </message>
    <message>
        <source>%1 answers at %2 baud</source>
        <translation>%1 在 %2 波特下应答</translation>
    </message>
    <message>
        <source>no receipt printer answered on %1 at any of the rates %2: check that it is on, the cable, and that it is a serial printer</source>
        <translation>%1 上在 %2 中的任何速率下都没有小票打印机应答：请检查打印机是否已开机、线缆是否连接，以及它是否为串口打印机</translation>
    </message>
    <message>
        <source> (the port could not be set to %1 baud)</source>
        <translation>（此端口无法设为 %1 波特）</translation>
    </message>
    <message>
        <source>%1 carries answers: the printer says %2</source>
        <translation>%1 可传回应答：打印机报告 %2</translation>
    </message>
    <message>
        <source>probe takes no words, only options (see nemboport probe --help)</source>
        <translation>probe 不接受参数，只接受选项（见 nemboport probe --help）</translation>
    </message>
    <message>
        <source>probe tries every rate itself: leave out --baud</source>
        <translation>probe 会自行尝试每种速率：请不要给出 --baud</translation>
    </message>
    <message>
        <source>no target: give --serial DEVICE, --queue NAME or --port NAME</source>
        <translation>没有目标：请给出 --serial DEVICE、--queue NAME 或 --port NAME</translation>
    </message>
    <message>
        <source>set takes GROUP VALUE pairs (see nemboport set --help)</source>
        <translation>set 接受成对的 GROUP VALUE（见 nemboport set --help）</translation>
    </message>
    <message>
        <source>status takes no words, only options (see nemboport status --help)</source>
        <translation>status 不接受参数，只接受选项（见 nemboport status --help）</translation>
    </message>
    <message>
        <source>no target: give --queue NAME, --serial DEVICE or --port NAME</source>
        <translation>没有目标：请给出 --queue NAME、--serial DEVICE 或 --port NAME</translation>
    </message>
    <message>
        <source>--watch %1: give the seconds between questions, %2 to %3</source>
        <translation>--watch %1：请给出两次询问之间的秒数，%2 到 %3</translation>
    </message>
    <message>
        <source>test qr takes one TEXT (quote it)</source>
        <translation>test qr 只接受一个 TEXT（请加引号）</translation>
    </message>
    <message>
        <source>the QR text must be 1 to %1 bytes, not %2</source>
        <translation>二维码文本必须为 1 到 %1 字节，而不是 %2 字节</translation>
    </message>
    <message>
        <source>test %1 takes no further words</source>
        <translation>test %1 不接受更多参数</translation>
    </message>
    <message>
        <source>test needs WHAT (see nemboport test --help)</source>
        <translation>test 需要 WHAT（见 nemboport test --help）</translation>
    </message>
    <message>
        <source>unknown test %1 (see nemboport test --help)</source>
        <translation>未知的测试 %1（见 nemboport test --help）</translation>
    </message>
    <message>
        <source>no document name</source>
        <translation>无文档名</translation>
    </message>
    <message>
        <source>send %1: %2, %3 bytes</source>
        <translation>发送 %1：%2，%3 字节</translation>
    </message>
    <message>
        <source>(no document name)</source>
        <translation>（无文档名）</translation>
    </message>
    <message>
        <source>waiting for the printer to write its flash: %1%</source>
        <translation>正在等待打印机写入闪存：%1%</translation>
    </message>
    <message>
        <source>waiting for the printer to write its flash: done</source>
        <translation>正在等待打印机写入闪存：完成</translation>
    </message>
    <message>
        <source>; the %1 commands after it were not sent</source>
        <translation>；其后的 %1 条命令未发送</translation>
    </message>
    <message>
        <source>%1: %2 did not print</source>
        <translation>%1：%2 未打印</translation>
    </message>
    <message>
        <source>%1: %2 was still waiting after %3 s and was withdrawn</source>
        <translation>%1：%2 在 %3 秒后仍在等待，已撤回</translation>
    </message>
    <message>
        <source>%1: %2 is still waiting after %3 s and was left queued (--keep-queued): it prints when the printer takes it</source>
        <translation>%1：%2 在 %3 秒后仍在等待，已留在队列中（--keep-queued）：打印机接收后即会打印</translation>
    </message>
    <message>
        <source>%1: %2 is still waiting after %3 s and could not be withdrawn: it may print later</source>
        <translation>%1：%2 在 %3 秒后仍在等待，且无法撤回：之后可能仍会打印</translation>
    </message>
    <message>
        <source>cannot open %1: it is missing or held by another program</source>
        <translation>无法打开 %1：设备不存在或被其他程序占用</translation>
    </message>
    <message>
        <source>cannot open %1</source>
        <translation>无法打开 %1</translation>
    </message>
    <message>
        <source>cannot close %1</source>
        <translation>无法关闭 %1</translation>
    </message>
    <message>
        <source>no target: give --queue NAME, --serial DEVICE or --port NAME (or --dry-run to see the bytes)</source>
        <translation>没有目标：请给出 --queue NAME、--serial DEVICE 或 --port NAME（或用 --dry-run 查看字节）</translation>
    </message>
    <message>
        <source>note: %1 cannot follow print jobs (it lacks FollowLastJob or CancelLastJob): the jobs are queued, not confirmed printed</source>
        <translation>注意：%1 无法跟踪打印作业（缺少 FollowLastJob 或 CancelLastJob）：作业已排队，但未确认打印</translation>
    </message>
    <message>
        <source>%1 of %2 queues failed</source>
        <translation>%2 个队列中有 %1 个失败</translation>
    </message>
    <message>
        <source>usage: nemboport list [--json]
Lists the print queues, serial ports and raw printer ports the I/O library
finds, each with its kind and, when it cannot be used, why. A print queue
shows its state (idle, printing, paused, not accepting jobs, the printer&apos;s
reasons); a paused or rejecting queue is not usable.
Exit status 1 when the print server cannot be asked.
  --json   one JSON array of {kind, name, usable, reason}; queues also have
           state, accepting, reasons and message
</source>
        <translation>用法：nemboport list [--json]
列出 I/O 库找到的打印队列、串口和原始打印机端口，每项给出其类型，
不可用时给出原因。打印队列会显示其状态（空闲、正在打印、已暂停、
不接收作业、打印机报告的原因）；已暂停或拒收作业的队列不可用。
无法询问打印服务器时退出状态为 1。
  --json   输出一个 JSON 数组 {kind, name, usable, reason}；队列另有
           state、accepting、reasons 和 message
</translation>
    </message>
    <message>
        <source>usage: nemboport test WHAT TARGET
  function-list     print the function list
  codepage-list     print the code page list
  drawer            open the cash drawer
  half-cut          cut the paper halfway
  full-cut          cut the paper through
  qr [TEXT]         print a QR code (at most 248 bytes; default: this
                    project&apos;s web address)
  factory-reset     restore the factory settings
</source>
        <translation>用法：nemboport test WHAT TARGET
  function-list     打印功能列表
  codepage-list     打印代码页列表
  drawer            打开钱箱
  half-cut          半切纸
  full-cut          全切纸
  qr [TEXT]         打印二维码（最多 248 字节；默认：本项目的网址）
  factory-reset     恢复出厂设置
</translation>
    </message>
    <message>
        <source>usage: nemboport apply PROFILE [TARGET]
Sends the settings of an INI profile in the one-key update&apos;s order, to the
profile&apos;s target or to the one given here. `nemboport profile` prints a
commented template. A profile setting the code page or the baud rate
makes every printer it is applied to print a page.
</source>
        <translation>用法：nemboport apply PROFILE [TARGET]
按一键更新的顺序发送 INI 配置文件中的设置，发送到配置文件中的目标或此处
给出的目标。`nemboport profile` 输出带注释的模板。设置代码页或波特率的
配置文件会使每台应用它的打印机打印一页。
</translation>
    </message>
    <message>
        <source>usage: nemboport profile
Prints a commented profile template for `nemboport apply`.
</source>
        <translation>用法：nemboport profile
输出一个供 `nemboport apply` 使用的带注释的配置文件模板。
</translation>
    </message>
    <message>
        <source>usage: nemboport decode [FILE|-]
Lists the printer commands in a captured byte stream (a file, or standard
input for - or no argument), one line each: the offset in hex, eight digits
without 0x as hex dumps print it; the first 16 bytes in hex; the meaning.
Lines are printed as the bytes are read, so a capture of any length can be
listed; a run longer than 128 KB is listed in parts.
</source>
        <translation>用法：nemboport decode [FILE|-]
列出截获的字节流（文件；给出 - 或不给参数时为标准输入）中的打印机命令，
每条一行：十六进制偏移量（八位数字，不带 0x，与十六进制转储相同）；
前 16 个字节的十六进制；含义。
边读取边输出，因此任意长度的截获都能列出；超过 128 KB 的连续数据分段列出。
</translation>
    </message>
    <message>
        <source>usage: nemboport status [--json] [--watch SECONDS] TARGET
Asks the printer its state (every condition), who it is (maker, model,
firmware, serial number) and times the answer. No paper is used.
  --json            one JSON object
  --watch SECONDS   ask again every SECONDS; a line only when the state
                    changes; Ctrl+C ends it
Targets: --queue NAME, --serial DEVICE [--baud N], --port NAME.
Exit status: 0 ready; 1 no answer, or the library or device failed;
2 wrong usage; 3 the printer answered but cannot print (paper out, cover
open, off-line, error).
</source>
        <translation>用法：nemboport status [--json] [--watch SECONDS] TARGET
询问打印机的状态（所有状况）和身份（厂商、型号、固件、序列号），
并测量应答时间。不消耗纸张。
  --json            输出一个 JSON 对象
  --watch SECONDS   每隔 SECONDS 秒再次询问；仅在状态变化时输出一行；
                    按 Ctrl+C 结束
目标：--queue NAME、--serial DEVICE [--baud N]、--port NAME。
退出状态：0 就绪；1 无应答，或库、设备出错；2 用法错误；
3 打印机已应答但无法打印（缺纸、上盖打开、脱机、出错）。
</translation>
    </message>
    <message>
        <source>usage: nemboport probe --serial DEVICE [--json]
       nemboport probe --queue NAME|--port NAME [--json]
Finds the rate a serial printer listens at, asking its status at each of
the ten rates, most common first, and prints the rate and the status.
For a queue or port: says whether that link carries the printer&apos;s answers.
Exit status: 0 found; 1 no answer; 2 wrong usage.
</source>
        <translation>用法：nemboport probe --serial DEVICE [--json]
      nemboport probe --queue NAME|--port NAME [--json]
查找串口打印机使用的速率：按常用程度依次以十种速率询问其状态，
然后输出速率和状态。
对队列或端口：说明该连接能否传回打印机的应答。
退出状态：0 已找到；1 无应答；2 用法错误。
</translation>
    </message>
    <message>
        <source>usage: nemboport serve [OPTIONS]
Runs the virtual receipt printer; `nemboport serve --help` lists its options.
</source>
        <translation>用法：nemboport serve [OPTIONS]
运行虚拟小票打印机；`nemboport serve --help` 列出其选项。
</translation>
    </message>
    <message>
        <source>Code pages (number, then name):</source>
        <translation>代码页（编号和名称）：</translation>
    </message>
    <message>
        <source>no command given (see nemboport --help)</source>
        <translation>没有给出命令（见 nemboport --help）</translation>
    </message>
    <message>
        <source>this build cannot load pictures: run logo from the nemboport program</source>
        <translation>此构建无法读取图片：请从 nemboport 程序运行 logo</translation>
    </message>
    <message>
        <source>cannot run this command: the program %1 is missing (looked for %2); reinstall the nemboportsettings package</source>
        <translation>无法运行此命令：缺少程序 %1（已查找 %2）；请重新安装 nemboportsettings 软件包</translation>
    </message>
    <message>
        <source>cannot run %1: %2</source>
        <translation>无法运行 %1：%2</translation>
    </message>
    <message>
        <source>this build has no virtual printer: run serve from the nemboport program</source>
        <translation>此构建不含虚拟打印机：请从 nemboport 程序运行 serve</translation>
    </message>
    <message>
        <source>unknown command %1 (see nemboport --help)</source>
        <translation>未知命令 %1（见 nemboport --help）</translation>
    </message>
    <message>
        <source>unknown option --%1</source>
        <translation>未知选项 --%1</translation>
    </message>
    <message>
        <source>--%1 given twice</source>
        <translation>--%1 给出了两次</translation>
    </message>
    <message>
        <source>--%1 needs a value</source>
        <translation>--%1 需要一个值</translation>
    </message>
    <message>
        <source>--%1 takes no value</source>
        <translation>--%1 不接受值</translation>
    </message>
    <message>
        <source>permission denied (join the group %1)</source>
        <translation>权限不足（请加入 %1 组）</translation>
    </message>
    <message>
        <source>busy: another program holds it</source>
        <translation>忙：被其他程序占用</translation>
    </message>
    <message>
        <source>no device behind it</source>
        <translation>没有对应的设备</translation>
    </message>
    <message>
        <source>give only one of queue, serial and port</source>
        <translation>queue、serial 和 port 只能给出一个</translation>
    </message>
    <message>
        <source>%1 needs a name</source>
        <translation>%1 需要一个名称</translation>
    </message>
    <message>
        <source>baud %1: not one of %2</source>
        <translation>baud %1：不是 %2 之一</translation>
    </message>
    <message>
        <source>instructions %1: expected new or old</source>
        <translation>instructions %1：应为 new 或 old</translation>
    </message>
    <message>
        <source>unknown key %1 in [target] (queue, serial, baud, port, instructions)</source>
        <translation>[target] 中的未知键 %1（queue、serial、baud、port、instructions）</translation>
    </message>
    <message>
        <source>holds the control character \x%1; a profile is plain text</source>
        <translation>含有控制字符 \x%1；配置文件应为纯文本</translation>
    </message>
    <message>
        <source>a section is written [name]</source>
        <translation>节应写作 [name]</translation>
    </message>
    <message>
        <source>unknown section [%1] (target, settings)</source>
        <translation>未知的节 [%1]（target、settings）</translation>
    </message>
    <message>
        <source>expected key = value</source>
        <translation>应为 key = value</translation>
    </message>
    <message>
        <source>%1 stands outside [target] and [settings]</source>
        <translation>%1 不在 [target] 或 [settings] 中</translation>
    </message>
    <message>
        <source>%1 is given twice</source>
        <translation>%1 给出了两次</translation>
    </message>
    <message>
        <source>line %1: baud in [target] goes with serial</source>
        <translation>第 %1 行：[target] 中的 baud 只能与 serial 一起使用</translation>
    </message>
    <message>
        <source>unknown setting %1 (one of %2)</source>
        <translation>未知设置 %1（应为 %2 之一）</translation>
    </message>
    <message>
        <source>The baud rate is now %1: restart the printer, and open its serial port at %1 from now on.</source>
        <translation>波特率现为 %1：请重启打印机，此后以 %1 打开其串口。</translation>
    </message>
    <message>
        <source>queue %1</source>
        <translation>队列 %1</translation>
    </message>
    <message>
        <source>serial port %1 at %2 baud</source>
        <translation>串口 %1（%2 波特）</translation>
    </message>
    <message>
        <source>port %1</source>
        <translation>端口 %1</translation>
    </message>
    <message>
        <source>%1 lacks the export QueryPrinter: this library cannot read the printer&apos;s answers (install a newer one)</source>
        <translation>%1 缺少导出函数 QueryPrinter：此库无法读取打印机的应答（请安装新版本）</translation>
    </message>
    <message>
        <source>the library reports code %1</source>
        <translation>库报告代码 %1</translation>
    </message>
    <message>
        <source>the library gives no reason</source>
        <translation>库未给出原因</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>无应答</translation>
    </message>
    <message>
        <source>not a receipt printer&apos;s answer</source>
        <translation>不是小票打印机的应答</translation>
    </message>
    <message>
        <source>this connection carries no answers</source>
        <translation>此连接无法传回应答</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>失败：%1</translation>
    </message>
    <message>
        <source>not available</source>
        <translation>不可用</translation>
    </message>
    <message>
        <source>none</source>
        <translation>无</translation>
    </message>
    <message>
        <source>try `nemboport probe --serial %1`</source>
        <translation>请尝试 `nemboport probe --serial %1`</translation>
    </message>
    <message>
        <source>no answer from %1 within %2 ms: check that the printer is on and connected%3</source>
        <translation>%1 在 %2 毫秒内无应答：请检查打印机是否已开机并连接%3</translation>
    </message>
    <message>
        <source>; the rate may be wrong: %1</source>
        <translation>；速率可能不对：%1</translation>
    </message>
    <message>
        <source>%1 sent back %2, which is not a receipt printer&apos;s status: %3</source>
        <translation>%1 返回了 %2，这不是小票打印机的状态：%3</translation>
    </message>
    <message>
        <source>at the wrong rate a printer reads like this; %1</source>
        <translation>速率不对时打印机的应答就是这样；%1</translation>
    </message>
    <message>
        <source>check that a receipt printer is at the other end</source>
        <translation>请检查另一端是否为小票打印机</translation>
    </message>
    <message>
        <source>%1 carries no answers (%2): reach the printer by --serial or --port, or through a queue whose device is socket://, serial: or usb://</source>
        <translation>%1 无法传回应答（%2）：请通过 --serial 或 --port 连接打印机，或使用设备为 socket://、serial: 或 usb:// 的队列</translation>
    </message>
    <message>
        <source>asking %1 failed: %2</source>
        <translation>询问%1失败：%2</translation>
    </message>
    <message>
        <source>%1 lacks the export QueryPrinter</source>
        <translation>%1 缺少导出函数 QueryPrinter</translation>
    </message>
    <message>
        <source>%1 is not loaded</source>
        <translation>%1 未加载</translation>
    </message>
    <message>
        <source>state: %1</source>
        <translation>状态：%1</translation>
    </message>
    <message>
        <source>conditions: %1</source>
        <translation>状况：%1</translation>
    </message>
    <message>
        <source>not answered: %1</source>
        <translation>未应答：%1</translation>
    </message>
    <message>
        <source>maker: %1</source>
        <translation>厂商：%1</translation>
    </message>
    <message>
        <source>model: %1</source>
        <translation>型号：%1</translation>
    </message>
    <message>
        <source>firmware: %1</source>
        <translation>固件：%1</translation>
    </message>
    <message>
        <source>serial number: %1</source>
        <translation>序列号：%1</translation>
    </message>
    <message>
        <source>identity: not told by the printer</source>
        <translation>身份：打印机未提供</translation>
    </message>
    <message>
        <source>answer time: %1 ms</source>
        <translation>应答时间：%1 毫秒</translation>
    </message>
    <message>
        <source>--%1 needs a name</source>
        <translation>--%1 需要一个名称</translation>
    </message>
    <message>
        <source>--%1 %2 given twice</source>
        <translation>--%1 %2 给出了两次</translation>
    </message>
    <message>
        <source>give only one of --queue, --serial and --port</source>
        <translation>--queue、--serial 和 --port 只能给出一个</translation>
    </message>
    <message>
        <source>--baud goes with --serial</source>
        <translation>--baud 只能与 --serial 一起使用</translation>
    </message>
    <message>
        <source>--baud %1: not one of %2</source>
        <translation>--baud %1：不是 %2 之一</translation>
    </message>
    <message>
        <source>--no-wait goes with neither --wait nor --keep-queued</source>
        <translation>--no-wait 不能与 --wait 或 --keep-queued 一起使用</translation>
    </message>
    <message>
        <source>--wait %1: give the seconds to wait for the printer, 1 to %2</source>
        <translation>--wait %1：请给出等待打印机的秒数，1 到 %2</translation>
    </message>
    <message>
        <source>cannot load %1: %2</source>
        <translation>无法加载 %1：%2</translation>
    </message>
    <message>
        <source>reading %1 failed: %2</source>
        <translation>读取 %1 失败：%2</translation>
    </message>
    <message>
        <source>--model %1: expected 58 or 80</source>
        <translation>--model %1：应为 58 或 80</translation>
    </message>
    <message>
        <source> ... (%1 bytes)</source>
        <translation> ……（%1 字节）</translation>
    </message>
    <message>
        <source>sending %1 to %2 failed</source>
        <translation>向 %2 发送 %1 失败</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>第 %1 行：%2</translation>
    </message>
    <message>
        <source>%1 %2: expected %3</source>
        <translation>%1 %2：应为 %3</translation>
    </message>
    <message>
        <source>; the 1 command after it was not sent</source>
        <translation>；其后的 1 条命令未发送</translation>
    </message>
    <message>
        <source>usage: nemboport set GROUP VALUE [GROUP VALUE ...] TARGET
Sends configuration settings; several run in the one-key update&apos;s order
(codepage, baud, darkness, barcode, cutter, black-mark, buzzer, cut-feed),
then cut-mode. Over a serial port the baud rate goes last. Setting the
code page or the baud rate also makes the printer print a page.
</source>
        <translation>用法：nemboport set GROUP VALUE [GROUP VALUE ...] TARGET
发送配置设置；多项设置按一键更新的顺序执行（codepage、baud、darkness、
barcode、cutter、black-mark、buzzer、cut-feed），最后是 cut-mode。
通过串口发送时波特率最后发送。设置代码页或波特率时打印机还会打印一页。
</translation>
    </message>
    <message>
        <source>%1 %2: expected its number, since %3 names more than one code page</source>
        <translation>%1 %2：应为其编号，因为 %3 对应多个代码页</translation>
    </message>
    <message>
        <source>ready</source>
        <translation>就绪</translation>
    </message>
    <message>
        <source>a print queue needs a name</source>
        <translation>打印队列需要一个名称</translation>
    </message>
    <message>
        <source>%1: a print queue&apos;s name has at most 127 bytes</source>
        <translation>%1：打印队列名称最多 127 个字节</translation>
    </message>
    <message>
        <source>%1: a print queue&apos;s name has no blanks or control characters</source>
        <translation>%1：打印队列名称不能包含空白或控制字符</translation>
    </message>
    <message>
        <source>%1: a print queue&apos;s name has none of / \ ? &apos; &quot; # @ (it has %2)</source>
        <translation>%1：打印队列名称不能包含 / \ ? &apos; &quot; # @（它包含 %2）</translation>
    </message>
    <message>
        <source>print queue %1 made for %2: raw (no driver), enabled and accepting jobs</source>
        <translation>已为 %2 建立打印队列 %1：原始方式（无驱动），已启用并接受作业</translation>
    </message>
    <message>
        <source>ask the printer through it: nemboport status --queue %1</source>
        <translation>通过它询问打印机：nemboport status --queue %1</translation>
    </message>
    <message>
        <source>a print queue named %1 exists already: choose another name, or give --replace to make it anew for %2</source>
        <translation>名为 %1 的打印队列已存在：请换一个名称，或加上 --replace 为 %2 重新建立它</translation>
    </message>
    <message>
        <source>%1 lacks the export AddPrintQueue: this library cannot make print queues (install a newer one, or use lpadmin -p %2 -E -v %3)</source>
        <translation>%1 缺少导出函数 AddPrintQueue：此库无法建立打印队列（请安装较新的版本，或使用 lpadmin -p %2 -E -v %3）</translation>
    </message>
    <message>
        <source>add-queue takes one name: nemboport add-queue NAME --uri URI</source>
        <translation>add-queue 只接受一个名称：nemboport add-queue NAME --uri URI</translation>
    </message>
    <message>
        <source>add-queue needs the printer&apos;s device: --uri socket://HOST:9100, --uri serial:/dev/ttyUSB0?baud=9600 or the usb:// URI discover shows</source>
        <translation>add-queue 需要打印机的设备：--uri socket://HOST:9100、--uri serial:/dev/ttyUSB0?baud=9600 或 discover 显示的 usb:// URI</translation>
    </message>
    <message>
        <source>--uri %1: give socket://HOST:PORT, serial:/dev/DEVICE?baud=N or usb://MAKE/MODEL?serial=... (as discover shows them)</source>
        <translation>--uri %1：请给出 socket://HOST:PORT、serial:/dev/DEVICE?baud=N 或 usb://MAKE/MODEL?serial=...（与 discover 显示的一致）</translation>
    </message>
    <message>
        <source>discover takes words only after --serial (ports) or --network (addresses): %1</source>
        <translation>discover 只在 --serial（端口）或 --network（地址）之后接受参数：%1</translation>
    </message>
    <message>
        <source>--port %1: give the printers&apos; TCP port, 1 to 65535 (9100 unless told)</source>
        <translation>--port %1：请给出打印机的 TCP 端口，1 到 65535（默认 9100）</translation>
    </message>
    <message>
        <source>--network needs addresses: HOST, A.B.C.D/N or auto (the machine&apos;s own networks)</source>
        <translation>--network 需要地址：HOST、A.B.C.D/N 或 auto（本机所在的网段）</translation>
    </message>
    <message>
        <source>--port goes with --network</source>
        <translation>--port 须与 --network 一起使用</translation>
    </message>
    <message>
        <source>--replace goes with --add NAME</source>
        <translation>--replace 须与 --add NAME 一起使用</translation>
    </message>
    <message>
        <source>--network %1: give an address, a host name, a network A.B.C.D/N (N from 16 to 32) or auto</source>
        <translation>--network %1：请给出地址、主机名、网段 A.B.C.D/N（N 为 16 到 32）或 auto</translation>
    </message>
    <message>
        <source>--network %1: no such host (or the name server did not answer in time)</source>
        <translation>--network %1：没有这个主机（或域名服务器未及时应答）</translation>
    </message>
    <message>
        <source>--network %1: %2 addresses; one search covers at most %3</source>
        <translation>--network %1：%2 个地址；一次搜索最多 %3 个</translation>
    </message>
    <message>
        <source>--network auto: this machine is on no network of at most %1 addresses; name the addresses to search</source>
        <translation>--network auto：本机不在任何不超过 %1 个地址的网段中；请指定要搜索的地址</translation>
    </message>
    <message>
        <source>USB</source>
        <translation>USB</translation>
    </message>
    <message>
        <source>serial</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>network</source>
        <translation>网络</translation>
    </message>
    <message>
        <source>port open, not a receipt printer (it answered %1)</source>
        <translation>端口已打开，但不是小票打印机（它的应答为 %1）</translation>
    </message>
    <message>
        <source>port open, not a receipt printer (no answer within %1 ms; a printer busy with another connection answers later)</source>
        <translation>端口已打开，但不是小票打印机（%1 毫秒内没有应答；正忙于另一连接的打印机会稍后应答）</translation>
    </message>
    <message>
        <source>port open, not a receipt printer (%1)</source>
        <translation>端口已打开，但不是小票打印机（%1）</translation>
    </message>
    <message>
        <source>could not be probed: %1</source>
        <translation>无法探测：%1</translation>
    </message>
    <message>
        <source>no receipt printer answered at any rate</source>
        <translation>在任何速率下都没有小票打印机应答</translation>
    </message>
    <message>
        <source>skipped: %1</source>
        <translation>已跳过：%1</translation>
    </message>
    <message>
        <source>status not asked (seen only by the print server&apos;s USB backend)</source>
        <translation>未查询状态（只有打印服务器的 USB 后端能看到）</translation>
    </message>
    <message>
        <source>a USB printer that tells no name</source>
        <translation>未告知名称的 USB 打印机</translation>
    </message>
    <message>
        <source>a receipt printer that tells no name</source>
        <translation>未告知名称的小票打印机</translation>
    </message>
    <message>
        <source>%1 at %2 baud</source>
        <translation>%1，%2 波特</translation>
    </message>
    <message>
        <source>firmware %1</source>
        <translation>固件 %1</translation>
    </message>
    <message>
        <source>serial number %1</source>
        <translation>序列号 %1</translation>
    </message>
    <message>
        <source>command set %1</source>
        <translation>指令集 %1</translation>
    </message>
    <message>
        <source>device URI: %1</source>
        <translation>设备 URI：%1</translation>
    </message>
    <message>
        <source>print queues: %1</source>
        <translation>打印队列：%1</translation>
    </message>
    <message>
        <source>no print queue leads to it: nemboport add-queue NAME --uri &apos;%1&apos;</source>
        <translation>没有通往它的打印队列：nemboport add-queue NAME --uri &apos;%1&apos;</translation>
    </message>
    <message>
        <source>USB printers not looked for: %1 lacks the export GetUsbPrinters</source>
        <translation>未查找 USB 打印机：%1 缺少导出函数 GetUsbPrinters</translation>
    </message>
    <message>
        <source>USB printers not looked for: %1</source>
        <translation>未查找 USB 打印机：%1</translation>
    </message>
    <message>
        <source>the print server shows the USB printers its backend sees only to its administrators (the group lpadmin, or sudo): the printers above are those the kernel&apos;s printer driver holds</source>
        <translation>打印服务器只向其管理员（lpadmin 组或 sudo）显示其后端看到的 USB 打印机：以上是内核打印机驱动所管理的打印机</translation>
    </message>
    <message>
        <source>the print server&apos;s USB printers not listed: %1</source>
        <translation>未列出打印服务器的 USB 打印机：%1</translation>
    </message>
    <message>
        <source>serial ports not probed: %1 lacks GetSystemSerial, OpenComm, CloseComm or QueryPrinter</source>
        <translation>未探测串口：%1 缺少 GetSystemSerial、OpenComm、CloseComm 或 QueryPrinter</translation>
    </message>
    <message>
        <source>the print queues leading to each printer are not told: %1 lacks the export GetPrintDriveDevices</source>
        <translation>无法说明通往各打印机的打印队列：%1 缺少导出函数 GetPrintDriveDevices</translation>
    </message>
    <message>
        <source>the print queues leading to each printer are not told: %1</source>
        <translation>无法说明通往各打印机的打印队列：%1</translation>
    </message>
    <message>
        <source>searching: %1 of %2 looked at, %3 found</source>
        <translation>正在搜索：已查看 %1/%2，找到 %3 台</translation>
    </message>
    <message numerus="yes">
        <source>%n receipt printer(s) found</source>
        <translation>
            <numerusform>找到 %n 台小票打印机</numerusform>
        </translation>
    </message>
    <message>
        <source>no receipt printer found</source>
        <translation>未找到小票打印机</translation>
    </message>
    <message>
        <source>--add %1 makes a queue for a single printer, and %2 were found: make it with nemboport add-queue %1 --uri URI</source>
        <translation>--add %1 只为单台打印机建立队列，而找到了 %2 台：请用 nemboport add-queue %1 --uri URI 建立</translation>
    </message>
    <message>
        <source>usage: nemboport discover [--usb] [--serial [DEVICE...]] [--network HOST|CIDR...]
                          [--port N] [--json] [--add NAME [--replace]]
Finds receipt printers and says, for each, how it is reached, what it is
(maker, model, firmware, serial number), how it is, and the print queues
whose device leads to it. With no option: --usb --serial.
  --usb               every /dev/usb/lp* with the identity the printer told
                      the kernel, and the USB printers the print server sees
  --serial [DEVICE...]  the serial ports listed (or those named), probed for
                      their rate as probe does, side by side; a busy or
                      forbidden port is named and skipped
  --network HOST|CIDR...  TCP port 9100 of each address (an address, a host
                      name, A.B.C.D/N, or auto: this machine&apos;s own networks of
                      at most 256 addresses), side by side, each asked as a
                      printer is; what listens but does not answer as a
                      receipt printer is &quot;port open, not a receipt printer&quot;.
                      Nothing is scanned on the network without --network.
  --port N            another TCP port than 9100
  --json              one JSON object: found (each with kind, link, printer,
                      uri, identity, status, queues) and notes
  --add NAME          when exactly one printer was found, make the print queue
                      NAME for it (as add-queue does); --replace as there
Exit status: 0 at least one printer found; 1 none (or --add failed);
2 wrong usage.
</source>
        <translation>用法：nemboport discover [--usb] [--serial [DEVICE...]] [--network HOST|CIDR...]
                          [--port N] [--json] [--add NAME [--replace]]
查找小票打印机，并对每台说明：如何连接、是什么（厂商、型号、固件、序列号）、
状态如何，以及设备通往它的打印队列。不给选项时：--usb --serial。
  --usb               每个 /dev/usb/lp* 及打印机告诉内核的身份，以及打印服务器
                      看到的 USB 打印机
  --serial [DEVICE...]  列出的（或指定的）串口，像 probe 一样并行探测其速率；
                      忙或无权限的端口会注明原因并跳过
  --network HOST|CIDR...  每个地址（地址、主机名、A.B.C.D/N，或 auto：本机所在的
                      不超过 256 个地址的网段）的 TCP 9100 端口，并行连接，像询问
                      打印机一样询问；有监听但不像小票打印机应答的，报告为
                      “端口已打开，但不是小票打印机”。
                      不给 --network 就不扫描网络。
  --port N            使用 9100 以外的 TCP 端口
  --json              一个 JSON 对象：found（每项含 kind、link、printer、uri、
                      身份、状态、queues）和 notes
  --add NAME          恰好找到一台打印机时，为它建立打印队列 NAME（同 add-queue）；
                      --replace 的含义同那里
退出状态：0 至少找到一台打印机；1 一台也没有（或 --add 失败）；2 用法错误。
</translation>
    </message>
    <message>
        <source>usage: nemboport add-queue NAME --uri URI [--replace]
Makes a raw print queue (no driver: the bytes reach the printer as they
are), enabled and accepting jobs, through the print server&apos;s own request.
Nothing is sent to the printer. URI as discover shows it:
  socket://HOST:PORT             a network printer
  serial:/dev/ttyUSB0?baud=9600  a serial printer at its rate
  usb://MAKE/MODEL?serial=...    a USB printer
A name that exists is refused unless --replace is given (the queue is
made anew for URI: it loses its driver, its jobs stay). Making queues
needs the print server&apos;s administrator rights: the group lpadmin, or sudo.
Exit status: 0 made; 1 refused by the print server or a name that exists;
2 wrong usage or a name the print server would not take.
</source>
        <translation>用法：nemboport add-queue NAME --uri URI [--replace]
通过打印服务器自身的请求建立一个原始打印队列（无驱动：字节原样到达打印机），
并启用、接受作业。不向打印机发送任何内容。URI 与 discover 显示的一致：
  socket://HOST:PORT             网络打印机
  serial:/dev/ttyUSB0?baud=9600  指定速率的串口打印机
  usb://MAKE/MODEL?serial=...    USB 打印机
已存在的名称会被拒绝，除非给出 --replace（为 URI 重新建立该队列：
它失去驱动，作业保留）。建立队列需要打印服务器的管理员权限：lpadmin 组或 sudo。
退出状态：0 已建立；1 被打印服务器拒绝或名称已存在；
2 用法错误或打印服务器不接受的名称。
</translation>
    </message>
    <message>
        <source>usage: nemboport COMMAND [ARGUMENTS] [TARGET]
Sets up and tests a thermal receipt printer through the printer I/O library.

Commands:
  list [--json]                      print queues, serial and printer ports
  set GROUP VALUE ...                send configuration settings
  test WHAT                          test prints, drawer, cuts, QR, factory reset
  logo download|clear|print          the NV logo in the printer&apos;s flash
  apply PROFILE                      send the settings of a profile
  profile                            print a profile template
  decode [FILE|-]                    list the commands in captured bytes
  status [--json] [--watch S]        ask the printer its state and identity
  probe --serial DEVICE              find the rate a serial printer listens at
  discover [--network ADDRESSES]     find receipt printers and their queues
  add-queue NAME --uri URI           make a raw print queue for a printer
  serve                              run the virtual receipt printer

</source>
        <translation>用法：nemboport COMMAND [ARGUMENTS] [TARGET]
通过打印机 I/O 库设置和测试热敏小票打印机。

命令：
  list [--json]                      列出打印队列、串口和打印机端口
  set GROUP VALUE ...                发送配置设置
  test WHAT                          测试打印、钱箱、切纸、二维码、恢复出厂设置
  logo download|clear|print          打印机闪存中的 NV 位图
  apply PROFILE                      发送配置文件中的设置
  profile                            输出配置文件模板
  decode [FILE|-]                    列出截获字节中的命令
  status [--json] [--watch S]        询问打印机的状态和身份
  probe --serial DEVICE              查找串口打印机使用的速率
  discover [--network ADDRESSES]     查找小票打印机及其打印队列
  add-queue NAME --uri URI           为打印机建立原始打印队列
  serve                              运行虚拟小票打印机

</translation>
    </message>
    <message>
        <source>you may not add print queues on this print server: join the group lpadmin (sudo usermod -aG lpadmin %1, then log in again) or run the command with sudo</source>
        <translation>您无权在此打印服务器上添加打印队列：请加入 lpadmin 组（sudo usermod -aG lpadmin %1，然后重新登录），或用 sudo 运行该命令</translation>
    </message>
    <message>
        <source>the print server did not make print queue %1</source>
        <translation>打印服务器未能建立打印队列 %1</translation>
    </message>
    <message>
        <source>Target (every sending command):
  --queue NAME        a print queue (see `nemboport list`); repeat it to send
                      to several queues alike, side by side
  --serial DEVICE     a serial port, e.g. /dev/ttyUSB0; opened, sent to, closed
  --baud N            the rate to open the serial port with (default 115200)
  --port NAME         a raw printer port as listed (LPT1) or a device path
                      such as /dev/usb/lp0
  --old-commands      the original instruction set (the new one is the default)
  --dry-run           print each command&apos;s bytes and meaning instead of sending

A job sent to a print queue is followed until the print server handed it to
the printer; the command stops at the first job that does not print.
  --wait SECONDS      how long each queue&apos;s jobs may take (default 30); a job
                      still waiting then is withdrawn and the exit status is 1,
                      naming the queue (--verbose adds the print server&apos;s
                      reasons: printer off-line...); one the
                      print server was already handing to the printer is
                      stopped instead (the printer may have received part or
                      all of it) and the exit status is 4
  --keep-queued       leave a job still waiting queued instead (it prints when
                      the printer takes it; the exit status is still 1)
  --no-wait           only queue the jobs, as a print command does
A queue the print server reports paused or not accepting jobs is sent nothing:
it fails at once with the command that fixes it (unless --keep-queued; with
--no-wait it is only warned of).

Where the link carries answers, the printer is asked how it is after each
command it took: one that reports paper out, cover open, off-line or an
error printed nothing; the command stops there and the exit status is 3.
</source>
        <translation>目标（所有发送命令）：
  --queue NAME        打印队列（见 `nemboport list`）；重复给出可同时向
                      多个队列发送相同内容
  --serial DEVICE     串口，例如 /dev/ttyUSB0；打开、发送、关闭
  --baud N            打开串口所用的速率（默认 115200）
  --port NAME         列出的原始打印机端口（LPT1）或设备路径，
                      例如 /dev/usb/lp0
  --old-commands      使用旧指令集（默认为新指令集）
  --dry-run           只输出每条命令的字节及其含义，不发送

发送到打印队列的作业会一直跟踪到打印服务器将其交给打印机；
命令在第一个未能打印的作业处停止。
  --wait SECONDS      每个队列的作业最多可用的时间（默认 30）；届时仍在
                      等待的作业将被撤回，退出状态为 1，并给出队列名称
                      （--verbose 另给出打印服务器的原因：打印机脱机……）；
                      打印服务器已在交给打印机
                      的作业则被停止（打印机可能已收到其中部分或全部
                      内容），退出状态为 4
  --keep-queued       将仍在等待的作业留在队列中（打印机接收后即会打印；
                      退出状态仍为 1）
  --no-wait           只将作业排入队列，如同普通打印命令
打印服务器报告已暂停或不接收作业的队列不会收到任何内容：命令立即失败，并给出
修复命令（--keep-queued 时除外；使用 --no-wait 时仅给出警告）。

若连接能传回应答，每条命令被打印机接收后都会询问其状态：打印机报告
缺纸、机盖打开、脱机或出错时即未打印任何内容；命令就此停止，退出状态为 3。
</translation>
    </message>
    <message>
        <source>usage: nemboport logo download FILE [--model 58|80] [--fit] [--no-halftone] TARGET
       nemboport logo clear TARGET
       nemboport logo print [--align left|middle|right] TARGET
download  stores a picture as NV logo 1 in the printer&apos;s flash, then waits
          10 s for the flash write. --model sets the width limit: 58 takes
          up to 384 dots, 80 (the default) up to 576. A wider picture is
          refused unless --fit is given: it scales the picture down to the
          limit, keeping its proportions. The picture is halftoned unless
          --no-halftone is given.
clear     erases the stored logos
print     prints NV logo 1 (--align: middle by default)
</source>
        <translation>用法：nemboport logo download FILE [--model 58|80] [--fit] [--no-halftone] TARGET
      nemboport logo clear TARGET
      nemboport logo print [--align left|middle|right] TARGET
download  将图片作为 NV 位图 1 存入打印机闪存，然后等待 10 秒写入闪存。
          --model 设定宽度上限：58 最多 384 点，80（默认）最多 576 点。
          更宽的图片会被拒绝，除非给出 --fit：它将图片按比例缩小到上限。
          除非给出 --no-halftone，图片会经过半色调处理。
clear     清除已存储的位图
print     打印 NV 位图 1（--align：默认为 middle）
</translation>
    </message>
    <message>
        <source>
Options may also stand before the command.
  --help              this text; COMMAND --help for one command
  --version           the version
  --verbose           after the tool&apos;s reason for a failure, the printer I/O
                      library&apos;s own text (in English)

Exit status: 0 done (for a print queue: the printer took every job); 1 the
library or the device failed, or a job did not print; 2 wrong usage or a
refused input (nothing was sent); 3 the printer answered but cannot
print (status, or a command it took and could not print).
</source>
        <translation>
选项也可以写在命令之前。
  --help              本说明；COMMAND --help 查看单个命令的说明
  --version           版本
  --verbose           在本工具给出的失败原因之后，附上打印机 I/O 库的
                      原文（英文）

退出状态：0 完成（对打印队列：打印机已接收所有作业）；1 库或设备出错，
或有作业未打印；2 用法错误或输入被拒绝（未发送任何内容）；3 打印机有
应答但无法打印（status，或打印机接收了命令却无法打印）。
</translation>
    </message>
    <message>
        <source>there is no print queue %1</source>
        <translation>没有名为 %1 的打印队列</translation>
    </message>
    <message>
        <source>there is no serial port %1</source>
        <translation>没有串口 %1</translation>
    </message>
    <message>
        <source>there is no printer port %1</source>
        <translation>没有打印机端口 %1</translation>
    </message>
    <message>
        <source>the print queue, serial port or printer device was not found</source>
        <translation>找不到该打印队列、串口或打印机设备</translation>
    </message>
    <message>
        <source>the print queue %1 is held by another program</source>
        <translation>打印队列 %1 被其他程序占用</translation>
    </message>
    <message>
        <source>the serial port %1 is held by another program</source>
        <translation>串口 %1 被其他程序占用</translation>
    </message>
    <message>
        <source>the printer port %1 is held by another program</source>
        <translation>打印机端口 %1 被其他程序占用</translation>
    </message>
    <message>
        <source>the port is held by another program</source>
        <translation>该端口被其他程序占用</translation>
    </message>
    <message>
        <source>you may not use the print queue %1</source>
        <translation>您无权使用打印队列 %1</translation>
    </message>
    <message>
        <source>you may not open the serial port %1 (the group dialout may)</source>
        <translation>您无权打开串口 %1（dialout 组的用户可以）</translation>
    </message>
    <message>
        <source>you may not open the printer port %1 (the group lp may)</source>
        <translation>您无权打开打印机端口 %1（lp 组的用户可以）</translation>
    </message>
    <message>
        <source>you are not allowed to open the device</source>
        <translation>您无权打开该设备</translation>
    </message>
    <message>
        <source>the print queue %1 stopped taking data (timed out)</source>
        <translation>打印队列 %1 不再接收数据（超时）</translation>
    </message>
    <message>
        <source>the printer on %1 stopped taking data (timed out)</source>
        <translation>%1 上的打印机不再接收数据（超时）</translation>
    </message>
    <message>
        <source>the printer stopped taking data (timed out)</source>
        <translation>打印机不再接收数据（超时）</translation>
    </message>
    <message>
        <source>the print queue %1 went away</source>
        <translation>打印队列 %1 已不存在</translation>
    </message>
    <message>
        <source>%1 was lost: unplugged, closed at the far end, or an I/O error</source>
        <translation>%1 已断开：被拔出、对端关闭或发生 I/O 错误</translation>
    </message>
    <message>
        <source>the device was lost: unplugged, closed at the far end, or an I/O error</source>
        <translation>设备已断开：被拔出、对端关闭或发生 I/O 错误</translation>
    </message>
    <message>
        <source>the print queue %1 does not accept jobs</source>
        <translation>打印队列 %1 不接收作业</translation>
    </message>
    <message>
        <source>the print queue does not accept jobs</source>
        <translation>打印队列不接收作业</translation>
    </message>
    <message>
        <source>the library does not take %1 as a print queue name, or the job&apos;s length</source>
        <translation>库不接受 %1 作为打印队列名称，或不接受作业的长度</translation>
    </message>
    <message>
        <source>%1 is not a serial device, or the library does not take the rate</source>
        <translation>%1 不是串口设备，或库不接受该速率</translation>
    </message>
    <message>
        <source>%1 is not a printer device</source>
        <translation>%1 不是打印机设备</translation>
    </message>
    <message>
        <source>a name, length or rate is invalid, or the path is not a device</source>
        <translation>名称、长度或速率无效，或该路径不是设备</translation>
    </message>
    <message>
        <source>the print queue %1 carries no answers from the printer</source>
        <translation>打印队列 %1 不传回打印机的应答</translation>
    </message>
    <message>
        <source>%1 carries no answers from the printer</source>
        <translation>%1 不传回打印机的应答</translation>
    </message>
    <message>
        <source>this connection carries no answers from the printer</source>
        <translation>此连接不传回打印机的应答</translation>
    </message>
    <message>
        <source>the printer has not taken the job from the print queue %1</source>
        <translation>打印机尚未从打印队列 %1 取走该作业</translation>
    </message>
    <message>
        <source>the printer has not taken the job</source>
        <translation>打印机尚未接收该作业</translation>
    </message>
    <message>
        <source>the print server cannot be reached (is CUPS running?)</source>
        <translation>无法连接打印服务器（CUPS 是否在运行？）</translation>
    </message>
    <message>
        <source>the job was stopped while the print server was handing it to the printer</source>
        <translation>作业在打印服务器交给打印机的过程中被停止</translation>
    </message>
    <message>
        <source> (the library: %1)</source>
        <translation>（库的原文：%1）</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>Commented out: applying it makes every printer print a page (its function
list). Take the # away to send it.</source>
        <translation>已注释掉：应用此项会使每台打印机打印一页（其功能列表）。
去掉 # 即可发送。</translation>
    </message>
    <message>
        <source>Commented out: applying it makes every printer print a page (its function
list), and once the printer takes the new rate, a serial link at the old
rate is cut off until the port is opened at the new one. Take the # away
to send it.</source>
        <translation>已注释掉：应用此项会使每台打印机打印一页（其功能列表）；打印机一旦
采用新的速率，按旧速率打开的串口连接就会中断，直到以新速率重新
打开该端口。去掉 # 即可发送。</translation>
    </message>
    <message>
        <source># nemboport profile: `nemboport apply FILE` sends the settings below, in
# the one-key update&apos;s order. Remove or comment out what you do not set.
# codepage and baud are commented out: each prints a page when applied.
# Lines starting with # or ; are comments.

[target]
# Exactly one of queue, serial and port (a target given on the command
# line takes the place of this one).
queue = Receipt
# serial = /dev/ttyUSB0
# baud = %1            ; the rate the serial port is opened with
# port = LPT1              ; or a device path such as /dev/usb/lp0
# Instruction set: new (the default) or old (the original one).
instructions = new

[settings]
</source>
        <translation># nemboport 配置文件：`nemboport apply FILE` 按一键更新的顺序发送
# 下面的设置。不需要设置的项请删除或注释掉。
# codepage 和 baud 已被注释掉：应用时每一项都会打印一页。
# 以 # 或 ; 开头的行是注释。

[target]
# queue、serial 和 port 只能给出一个（命令行上给出的目标会取代这里的目标）。
queue = Receipt
# serial = /dev/ttyUSB0
# baud = %1            ; 打开串口所用的速率
# port = LPT1              ; 或设备路径，例如 /dev/usb/lp0
# 指令集：new（默认）或 old（旧指令集）。
instructions = new

[settings]
</translation>
    </message>
    <message>
        <source>usage: nemboport serve [--tcp [HOST:]PORT] [--pty [LINK] [--baud N]] [--out DIR] [--model 58|80]
                       [--max-receipts N] [--factory] [--paper ok|near-end|out] [--cover open|closed]
                       [--offline] [--maker TEXT] [--model-name TEXT] [--firmware TEXT]
                       [--serial-number TEXT]
  --tcp    listen for raw print jobs (default 127.0.0.1:9100 when no --pty is given); give it
           again for more addresses (e.g. 127.0.0.2:9100), all feeding the one printer
  --pty    make a pseudo-terminal (announced for the serial port list; LINK: a symlink to it)
  --baud   read the pseudo-terminal no faster than a serial port at N baud, 8N1, and answer
           only a program that set the port to N baud (at another rate it reads garbage)
  --out    the folder for state.json, log.txt and receipt-NNN.png (default ./nemboport-printer)
  --model  paper width: 58 (384 dots) or 80 (576 dots, the default)
  --max-receipts  receipts drawn at most while the server runs (default 1000; 0: no limit);
           later cuts are counted, not drawn
  --factory  start from the factory settings with no logos, instead of those kept in
           the folder&apos;s printer.json by an earlier run
  --paper, --cover, --offline  how the printer starts (paper ok, cover closed, on-line by
           default); while the paper is out, the cover open or it is off-line it prints
           nothing. Lines typed while it runs change them: paper ok, paper near-end,
           paper out, cover open, cover closed, online, offline
  --maker, --model-name, --firmware, --serial-number  what it answers when asked who it is
           (printable ASCII, up to 40 characters)
  It answers status requests (DLE EOT 1-4, GS r 1) and identity requests (GS I) on the
  connection they came on, also in the middle of a job.
</source>
        <translation>用法：nemboport serve [--tcp [HOST:]PORT] [--pty [LINK] [--baud N]] [--out DIR] [--model 58|80]
                       [--max-receipts N] [--factory] [--paper ok|near-end|out] [--cover open|closed]
                       [--offline] [--maker TEXT] [--model-name TEXT] [--firmware TEXT]
                       [--serial-number TEXT]
  --tcp    监听原始打印作业（未给出 --pty 时默认 127.0.0.1:9100）；可再次给出以监听
           更多地址（例如 127.0.0.2:9100），所有地址都送往同一台打印机
  --pty    建立一个伪终端（在串口列表中公布；LINK：指向它的符号链接）
  --baud   读取伪终端的速度不超过 N 波特、8N1 的串口，并且只应答把端口设为
           N 波特的程序（其他速率下读到的是乱码）
  --out    存放 state.json、log.txt 和 receipt-NNN.png 的文件夹（默认 ./nemboport-printer）
  --model  纸宽：58（384 点）或 80（576 点，默认）
  --max-receipts  服务运行期间最多绘制的小票数（默认 1000；0：不限）；
           之后的切纸只计数，不绘制
  --factory  从出厂设置开始，不带位图，而不是使用之前运行时保存在文件夹
           printer.json 中的设置
  --paper, --cover, --offline  打印机启动时的状态（默认有纸、机盖关闭、联机）；
           缺纸、机盖打开或脱机时不打印任何内容。运行时输入以下各行可改变状态：
           paper ok、paper near-end、paper out、cover open、cover closed、online、offline
  --maker, --model-name, --firmware, --serial-number  被询问身份时的回答
           （可打印 ASCII 字符，最多 40 个）
  它在请求到来的连接上应答状态请求（DLE EOT 1-4、GS r 1）和身份请求（GS I），
  作业进行中也会应答。
</translation>
    </message>
    <message>
        <source>the print server did not make print queue %1: it does not take that name or the device %2</source>
        <translation>打印服务器未能建立打印队列 %1：它不接受该名称或设备 %2</translation>
    </message>
    <message>
        <source>the printer I/O library failed</source>
        <translation>打印机 I/O 库出错</translation>
    </message>
    <message>
        <source>the printer I/O library gives no reason code</source>
        <translation>打印机 I/O 库未给出原因代码</translation>
    </message>
    <message>
        <source> (--verbose shows why)</source>
        <translation>（--verbose 显示原因）</translation>
    </message>
    <message>
        <source>: %1</source>
        <translation>：%1</translation>
    </message>
</context>
<context>
    <name>SettingsCatalogue</name>
    <message>
        <source>e.g. 15 or CP936 (list below)</source>
        <translation>例如 15 或 CP936（列表见下）</translation>
    </message>
    <message>
        <source>Code page: its number or name, e.g. 15 or CP936. Sending it makes the
printer print a page. The printer&apos;s code pages:</source>
        <translation>代码页：编号或名称，例如 15 或 CP936。发送后打印机会打印一页。
打印机的代码页：</translation>
    </message>
    <message>
        <source>Baud rate: %1.
The printer takes it after a restart and prints a page. Over a serial
port it is sent last.</source>
        <translation>波特率：%1。
打印机重启后生效，并打印一页。通过串口发送时最后发送。</translation>
    </message>
    <message>
        <source>Darkness: %1 to %2.</source>
        <translation>打印浓度：%1 到 %2。</translation>
    </message>
    <message>
        <source>(any subset)</source>
        <translation>（可任选几项）</translation>
    </message>
    <message>
        <source>Buzzer events: none, or any of %1.</source>
        <translation>蜂鸣器事件：none，或 %1 中的任意几项。</translation>
    </message>
    <message>
        <source>a code page number or name listed by `nemboport set --help`, e.g. 15 or CP936</source>
        <translation>`nemboport set --help` 列出的代码页编号或名称，例如 15 或 CP936</translation>
    </message>
    <message>
        <source>one of %1</source>
        <translation>%1 之一</translation>
    </message>
    <message>
        <source>a level from %1 to %2</source>
        <translation>%1 到 %2 之间的级别</translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <translation>%1 或 %2</translation>
    </message>
    <message>
        <source>none, or any of %1</source>
        <translation>none，或 %1 中的任意几项</translation>
    </message>
</context>
</TS>
