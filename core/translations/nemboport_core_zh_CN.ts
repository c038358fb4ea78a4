<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>printer condition</name>
    <message>
        <source>off-line</source>
        <translation>脱机</translation>
    </message>
    <message>
        <source>cover open</source>
        <translation>上盖打开</translation>
    </message>
    <message>
        <source>paper fed by the button</source>
        <translation>正在按键走纸</translation>
    </message>
    <message>
        <source>paper near end</source>
        <translation>纸将尽</translation>
    </message>
    <message>
        <source>paper out</source>
        <translation>缺纸</translation>
    </message>
    <message>
        <source>error</source>
        <translation>出错，已停止打印</translation>
    </message>
    <message>
        <source>mechanical error</source>
        <translation>机械错误</translation>
    </message>
    <message>
        <source>cutter error</source>
        <translation>切刀错误</translation>
    </message>
    <message>
        <source>unrecoverable error</source>
        <translation>不可恢复的错误</translation>
    </message>
    <message>
        <source>auto-recoverable error</source>
        <translation>可自动恢复的错误</translation>
    </message>
    <message>
        <source>drawer pin high</source>
        <translation>钱箱引脚为高电平</translation>
    </message>
</context>
</TS>
