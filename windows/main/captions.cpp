#include "captions.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace {

struct Caption
{
    const char *name;
    const char *text;
};

constexpr const char *kContext = "captions";
constexpr const char *kTitle = QT_TRANSLATE_NOOP("captions", "Torvane KX-410 thermal printer setting tool  V1.2");

// The captions that follow the interface language, in English.
constexpr Caption kCaptions[] = {
    {"GroupBox18", QT_TRANSLATE_NOOP("captions", "Connection settings")},
    {"rdbDriver", QT_TRANSLATE_NOOP("captions", "Using the drive:")},
    {"rdbCom", QT_TRANSLATE_NOOP("captions", "Using serial :")},
    {"rdbLpt", QT_TRANSLATE_NOOP("captions", "Using parallel:")},
    {"Panel5", QT_TRANSLATE_NOOP("captions", "Baud rate:")},
    {"btnOpenCOM", QT_TRANSLATE_NOOP("captions", "OpenCOM")},
    {"btnCloseCOM", QT_TRANSLATE_NOOP("captions", "CloseCOM")},
    {"btnRef", QT_TRANSLATE_NOOP("captions", "Refresh")},
    {"rdbCommandOLD", QT_TRANSLATE_NOOP("captions", "Original instruction")},
    {"rdbCommandNew", QT_TRANSLATE_NOOP("captions", "New instruction")},
    {"btnLanage", QT_TRANSLATE_NOOP("captions", "Setting")},
    {"btnNewCom", QT_TRANSLATE_NOOP("captions", "Setting")},
    {"btnLevel", QT_TRANSLATE_NOOP("captions", "Setting")},
    {"btnBarcode", QT_TRANSLATE_NOOP("captions", "Setting")},
    {"btnBlack", QT_TRANSLATE_NOOP("captions", "Setting")},
    {"btnBeepSet", QT_TRANSLATE_NOOP("captions", "Setting")},
    {"btnCutSet", QT_TRANSLATE_NOOP("captions", "Setting")},
    {"btnCutMode", QT_TRANSLATE_NOOP("captions", "Setting")},
    {"Button3", QT_TRANSLATE_NOOP("captions", "Setting")},
    {"chkLevel", QT_TRANSLATE_NOOP("captions", "No Set")},
    {"chkBarcode", QT_TRANSLATE_NOOP("captions", "No Set")},
    {"chkBlack", QT_TRANSLATE_NOOP("captions", "No Set")},
    {"chkBeepSet", QT_TRANSLATE_NOOP("captions", "No Set")},
    {"chkLanage", QT_TRANSLATE_NOOP("captions", "No Set")},
    {"chkCom", QT_TRANSLATE_NOOP("captions", "No Set")},
    {"chkCut", QT_TRANSLATE_NOOP("captions", "No Set")},
    {"chkCutMode", QT_TRANSLATE_NOOP("captions", "No Set")},
    {"chkCutPage", QT_TRANSLATE_NOOP("captions", "No Set")},
    {"rdbBarcodeOpen", QT_TRANSLATE_NOOP("captions", "Open")},
    {"rdbBlackOPen", QT_TRANSLATE_NOOP("captions", "Open")},
    {"rdbCutOpen", QT_TRANSLATE_NOOP("captions", "Open")},
    {"rdbBarcodeClose", QT_TRANSLATE_NOOP("captions", "Close")},
    {"rdbBlackClose", QT_TRANSLATE_NOOP("captions", "Close")},
    {"rdbCutClose", QT_TRANSLATE_NOOP("captions", "Close")},
    {"gbLanage", QT_TRANSLATE_NOOP("captions", "Set the default font")},
    {"gbCom", QT_TRANSLATE_NOOP("captions", "Baud rate config(restart printer)")},
    {"Label2", QT_TRANSLATE_NOOP("captions", "New Baud rate:")},
    {"gbLevel", QT_TRANSLATE_NOOP("captions", "Print Darkness")},
    {"Label1", QT_TRANSLATE_NOOP("captions", "Print Darkness:")},
    {"gbBarcode", QT_TRANSLATE_NOOP("captions", "Barcode function")},
    {"gbBlack", QT_TRANSLATE_NOOP("captions", "Black label function")},
    {"gbBeepSet", QT_TRANSLATE_NOOP("captions", "Buzzer function Settings")},
    {"chkBeepSet01", QT_TRANSLATE_NOOP("captions", "Receive control instructions alarm")},
    {"chkBeepSet02", QT_TRANSLATE_NOOP("captions", "Paper cutting after the alarm")},
    {"chkBeepSet03", QT_TRANSLATE_NOOP("captions", "The lack of printing paper alarm")},
    {"chkBeepSet04", QT_TRANSLATE_NOOP("captions", "Other error alarm")},
    {"gbCut", QT_TRANSLATE_NOOP("captions", "Cutter control")},
    {"gbCutMode", QT_TRANSLATE_NOOP("captions", "Cut Mode")},
    {"rbCutModeFullHelf", QT_TRANSLATE_NOOP("captions", "Full+Half")},
    {"rbCutModehelf", QT_TRANSLATE_NOOP("captions", "Half")},
    {"gbCutPage", QT_TRANSLATE_NOOP("captions", "Cutter feed control")},
    {"rdbCutBefore", QT_TRANSLATE_NOOP("captions", "Command mode")},
    {"rdbCutAfter", QT_TRANSLATE_NOOP("captions", "Drive mode")},
    {"gbPrint", QT_TRANSLATE_NOOP("captions", "Print Test")},
    {"Button14", QT_TRANSLATE_NOOP("captions", "Function List")},
    {"Button21", QT_TRANSLATE_NOOP("captions", "Language List")},
    {"Button2", QT_TRANSLATE_NOOP("captions", "Test Cashbox")},
    {"Button5", QT_TRANSLATE_NOOP("captions", "Full Cut")},
    {"Button6", QT_TRANSLATE_NOOP("captions", "Half Cut")},
    {"Button9", QT_TRANSLATE_NOOP("captions", "Restore default set")},
    {"Button12", QT_TRANSLATE_NOOP("captions", "Open all settings")},
    {"Button20", QT_TRANSLATE_NOOP("captions", "Close all settings")},
    {"Button13", QT_TRANSLATE_NOOP("captions", "A key update")},
    {"Button1", QT_TRANSLATE_NOOP("captions", "&Quit")},
    {"BitBtn5", QT_TRANSLATE_NOOP("captions", "&About")},
};

// The captions the window is designed with: its own, whatever the language.
constexpr const char *kDesignedTitle = "打印机设置工具：适用于RB4和RB6系列控制板  V1.3";
constexpr Caption kDesignedCaptions[] = {
    {"GroupBox18", "连接设置"},
    {"rdbDriver", "通过驱动程序连接："},
    {"rdbCom", "直接访问串口："},
    {"rdbLpt", "直接访问并口："},
    {"Panel5", "波特率："},
    {"btnOpenCOM", "打开串口"},
    {"btnCloseCOM", "关闭串口"},
    {"btnRef", "刷新"},
    {"rdbCommandOLD", "原指令"},
    {"rdbCommandNew", "新指令"},
    {"btnLanage", "设置"},
    {"btnNewCom", "更新"},
    {"btnLevel", "设置"},
    {"btnBarcode", "设置"},
    {"btnBlack", "设置"},
    {"btnBeepSet", "设置"},
    {"btnCutSet", "设置"},
    {"btnCutMode", "设置"},
    {"Button3", "设置"},
    {"chkLevel", "不设置"},
    {"chkBarcode", "不设置"},
    {"chkBlack", "不设置"},
    {"chkBeepSet", "不设置"},
    {"chkLanage", "不设置"},
    {"chkCom", "不设置"},
    {"chkCut", "不设置"},
    {"chkCutMode", "不设置"},
    {"chkCutPage", "不设置"},
    {"rdbBarcodeOpen", "打开"},
    {"rdbBlackOPen", "启用"},
    {"rdbCutOpen", "启用"},
    {"rdbBarcodeClose", "关闭"},
    {"rdbBlackClose", "关闭"},
    {"rdbCutClose", "关闭"},
    {"gbLanage", "设置默认语言(ESC R n或ESC t n)"},
    {"gbCom", "串口配置(修改后需重启打印机)"},
    {"Label2", "设置波特率为："},
    {"gbLevel", "打印浓度设置"},
    {"Label1", "打印浓度等级："},
    {"gbBarcode", "条码功能是否使用设置"},
    {"gbBlack", "黑标功能设置"},
    {"gbBeepSet", "蜂鸣器功能设置"},
    {"chkBeepSet01", "接收和设置提示音"},
    {"chkBeepSet02", "切纸后鸣叫"},
    {"chkBeepSet03", "缺纸后鸣叫"},
    {"chkBeepSet04", "其他错误鸣叫"},
    {"gbCut", "切刀功能是否使用"},
    {"gbCutMode", "切刀模式"},
    {"rbCutModeFullHelf", "全切+半切"},
    {"rbCutModehelf", "半切"},
    {"gbCutPage", "切刀走纸控制"},
    {"rdbCutBefore", "驱动模式"},
    {"rdbCutAfter", "指令模式"},
    {"gbPrint", "综合测试"},
    {"Button14", "打印功能列表"},
    {"Button21", "打印语言列表"},
    {"Button2", "测试钱箱"},
    {"Button5", "全切测试"},
    {"Button6", "半切测试"},
    {"Button9", "恢复出厂设置"},
    {"Button12", "全部参与设置"},
    {"Button20", "全部取消设置"},
    {"Button13", "一键更新"},
    {"Button1", "退出(&Q)"},
    {"BitBtn5", "关于(&A)"},
};

void setCaption(QWidget *root, const char *name, const QString &caption)
{
    QWidget *w = root->findChild<QWidget *>(QLatin1String(name));
    Q_ASSERT_X(w, "setCaption", name);
    if (!w)
        return;
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(caption);
    else if (auto *group = qobject_cast<QGroupBox *>(w))
        group->setTitle(caption);
    else if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(caption);
}

} // namespace

void applyCaptions(QWidget *root)
{
    for (const Caption &c : kCaptions)
        setCaption(root, c.name, QCoreApplication::translate(kContext, c.text));
    root->setWindowTitle(QCoreApplication::translate(kContext, kTitle));
}

void applyDesignedCaptions(QWidget *root)
{
    for (const Caption &c : kDesignedCaptions)
        setCaption(root, c.name, QString::fromUtf8(c.text));
    root->setWindowTitle(QString::fromUtf8(kDesignedTitle));
}
