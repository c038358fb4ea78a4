#include "tests_panel.h"

#include "maintenance_commands.h"
#include "widget_maker.h"

#include <QPushButton>

TestsPanel::TestsPanel(QWidget *window, const WindowSender &sender)
    : QGroupBox(window)
    , sender_(sender)
{
    using widgetmaker::make;
    setObjectName(QStringLiteral("gbPrint"));
    setGeometry(8, 455, 490, 78);
    Button14 = make<QPushButton>(this, "Button14", 10, 20, 89, 25);
    Button6 = make<QPushButton>(this, "Button6", 105, 20, 96, 25);
    Button4 = make<QPushButton>(this, "Button4", 207, 20, 95, 25);
    Button21 = make<QPushButton>(this, "Button21", 9, 47, 89, 25);
    Button5 = make<QPushButton>(this, "Button5", 105, 47, 96, 25);
    Button2 = make<QPushButton>(this, "Button2", 207, 47, 95, 25);
    Button9 = make<QPushButton>(this, "Button9", 308, 20, 169, 47);
    Button4->setText(QStringLiteral("QR Barcode"));
    setTabOrder(Button14, Button21);
    setTabOrder(Button21, Button2);
    setTabOrder(Button2, Button5);
    setTabOrder(Button5, Button6);
    setTabOrder(Button6, Button4);
    setTabOrder(Button4, Button9);

    const struct
    {
        QPushButton *button;
        void (TestsPanel::*handler)();
    } clicks[] = {
        {Button14, &TestsPanel::Button14Click}, {Button21, &TestsPanel::Button21Click},
        {Button2, &TestsPanel::Button2Click},   {Button5, &TestsPanel::Button5Click},
        {Button6, &TestsPanel::Button6Click},   {Button4, &TestsPanel::Button4Click},
        {Button9, &TestsPanel::Button9Click},
    };
    for (const auto &c : clicks)
        connect(c.button, &QPushButton::clicked, this, c.handler);
}

void TestsPanel::press(const QPushButton *button, std::vector<Command> commands, bool keepWaitingJobs)
{
    PlanStep step;
    step.name = button->text().remove(QLatin1Char('&'));
    step.commands = std::move(commands);
    step.keepWaitingJobs = keepWaitingJobs;
    sender_.press(step);
}

void TestsPanel::Button14Click()
{
    press(Button14, {functionListCommand()});
}

void TestsPanel::Button21Click()
{
    press(Button21, {codePageListCommand()});
}

void TestsPanel::Button2Click()
{
    press(Button2, {cashDrawerCommand()});
}

void TestsPanel::Button5Click()
{
    press(Button5, {fullCutCommand()});
}

void TestsPanel::Button6Click()
{
    press(Button6, {halfCutCommand()});
}

void TestsPanel::Button4Click()
{
    // The print command follows only a stored code.
    press(Button4, {qrStoreCommand(QByteArray(kQrText)), qrPrintCommand()});
}

void TestsPanel::Button9Click()
{
    press(Button9, {factoryRestoreCommand()}, false);
}
