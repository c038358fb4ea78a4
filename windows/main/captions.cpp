#include "captions.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace {

struct Caption
{
    const char *name;
    const char *chinese;
    const char *english;
};

constexpr const char *kTitleChinese = "Torvane KX-410系列打印机设置工具 V1.2";
constexpr const char *kTitleEnglish = "Torvane KX-410 thermal printer setting tool  V1.2";
constexpr const char *kDesignedTitle = "打印机设置工具：适用于RB4和RB6系列控制板  V1.3";

constexpr Caption kCaptions[] = {
    {"GroupBox18", "连接设置", "Connection settings"},
    {"rdbDriver", "通过驱动程序连接：", "Using the drive:"},
    {"rdbCom", "直接访问串口：", "Using serial :"},
    {"rdbLpt", "直接访问并口：", "Using parallel:"},
    {"Panel5", "波特率：", "Baud rate:"},
    {"btnOpenCOM", "打开串口", "OpenCOM"},
    {"btnCloseCOM", "关闭串口", "CloseCOM"},
    {"btnRef", "刷新", "Refresh"},
    {"rdbCommandOLD", "原指令", "Original instruction"},
    {"rdbCommandNew", "新指令", "New instruction"},
    {"btnLanage", "设置", "Setting"},
    {"btnNewCom", "设置", "Setting"},
    {"btnLevel", "设置", "Setting"},
    {"btnBarcode", "设置", "Setting"},
    {"btnBlack", "设置", "Setting"},
    {"btnBeepSet", "设置", "Setting"},
    {"btnCutSet", "设置", "Setting"},
    {"btnCutMode", "设置", "Setting"},
    {"Button3", "设置", "Setting"},
    {"chkLevel", "不设置", "No Set"},
    {"chkBarcode", "不设置", "No Set"},
    {"chkBlack", "不设置", "No Set"},
    {"chkBeepSet", "不设置", "No Set"},
    {"chkLanage", "不设置", "No Set"},
    {"chkCom", "不设置", "No Set"},
    {"chkCut", "不设置", "No Set"},
    {"chkCutMode", "不设置", "No Set"},
    {"chkCutPage", "不设置", "No Set"},
    {"rdbBarcodeOpen", "打开", "Open"},
    {"rdbBlackOPen", "打开", "Open"},
    {"rdbCutOpen", "打开", "Open"},
    {"rdbBarcodeClose", "关闭", "Close"},
    {"rdbBlackClose", "关闭", "Close"},
    {"rdbCutClose", "关闭", "Close"},
    {"gbLanage", "设置默认语言(ESC R n或ESC t n)", "Set the default font"},
    {"gbCom", "串口配置(修改后需重启打印机)", "Baud rate config(restart printer)"},
    {"Label2", "设置波特率为：", "New Baud rate:"},
    {"gbLevel", "打印浓度设置", "Print Darkness"},
    {"Label1", "打印浓度等级：", "Print Darkness:"},
    {"gbBarcode", "条码功能是否使用设置", "Barcode function"},
    {"gbBlack", "黑标功能设置", "Black label function"},
    {"gbBeepSet", "蜂鸣器功能设置", "Buzzer function Settings"},
    {"chkBeepSet01", "接收和设置提示音", "Receive control instructions alarm"},
    {"chkBeepSet02", "切纸后鸣叫", "Paper cutting after the alarm"},
    {"chkBeepSet03", "缺纸后鸣叫", "The lack of printing paper alarm"},
    {"chkBeepSet04", "其他错误鸣叫", "Other error alarm"},
    {"gbCut", "切刀功能是否使用", "Cutter control"},
    {"gbCutMode", "切刀模式", "Cut Mode"},
    {"rbCutModeFullHelf", "全切+半切", "Full+Half"},
    {"rbCutModehelf", "半切", "Half"},
    {"gbCutPage", "切刀走纸控制", "Cutter feed control"},
    {"rdbCutBefore", "指令模式", "Command mode"},
    {"rdbCutAfter", "驱动模式", "Drive mode"},
    {"gbPrint", "综合测试", "Print Test"},
    {"Button14", "打印功能列表", "Function List"},
    {"Button21", "打印语言列表", "Language List"},
    {"Button2", "测试钱箱", "Test Cashbox"},
    {"Button5", "全切", "Full Cut"},
    {"Button6", "半切", "Half Cut"},
    {"Button9", "恢复出厂设置", "Restore default set"},
    {"Button12", "全部参与设置", "Open all settings"},
    {"Button20", "全部取消设置", "Close all settings"},
    {"Button13", "一键更新", "A key update"},
    {"Button1", "退出", "&Quit"},
    {"BitBtn5", "关于", "&About"},
};

// Designed captions that differ from the Chinese run-time ones.
constexpr Caption kDesignedDifferences[] = {
    {"rdbCutOpen", "启用", nullptr},      {"rdbBlackOPen", "启用", nullptr}, {"rdbCutBefore", "驱动模式", nullptr},
    {"rdbCutAfter", "指令模式", nullptr}, {"btnNewCom", "更新", nullptr},    {"Button5", "全切测试", nullptr},
    {"Button6", "半切测试", nullptr},     {"Button1", "退出(&Q)", nullptr},  {"BitBtn5", "关于(&A)", nullptr},
};

void setCaption(QWidget *root, const char *name, const char *text)
{
    QWidget *w = root->findChild<QWidget *>(QLatin1String(name));
    Q_ASSERT_X(w, "setCaption", name);
    if (!w)
        return;
    const QString caption = QString::fromUtf8(text);
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(caption);
    else if (auto *group = qobject_cast<QGroupBox *>(w))
        group->setTitle(caption);
    else if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(caption);
}

} // namespace

void applyCaptions(QWidget *root, bool chinese)
{
    for (const Caption &c : kCaptions)
        setCaption(root, c.name, chinese ? c.chinese : c.english);
    root->setWindowTitle(QString::fromUtf8(chinese ? kTitleChinese : kTitleEnglish));
}

void applyDesignedCaptions(QWidget *root)
{
    applyCaptions(root, true);
    for (const Caption &c : kDesignedDifferences)
        setCaption(root, c.name, c.chinese);
    root->setWindowTitle(QString::fromUtf8(kDesignedTitle));
}
