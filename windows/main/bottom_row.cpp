#include "bottom_row.h"

#include "about_box.h"
#include "connection_panel.h"
#include "nvlogo_window.h"
#include "settings_panel.h"
#include "tests_panel.h"
#include "widget_maker.h"

#include <QPushButton>
#include <QRadioButton>

namespace {
// The row's top in the window.
constexpr int kRowTop = 539;
} // namespace

BottomRow::BottomRow(QWidget *window, const WindowSender &sender, ConnectionPanel &connection, SettingsPanel &settings,
                     TestsPanel &tests)
    : QWidget(window)
    , sender_(sender)
    , connection_(connection)
    , settings_(settings)
    , tests_(tests)
{
    using widgetmaker::make;
    setObjectName(QStringLiteral("bottomRow"));
    setGeometry(0, kRowTop, 505, 27);
    Button12 = make<QPushButton>(this, "Button12", 9, 0, 88, 27);
    Button20 = make<QPushButton>(this, "Button20", 100, 0, 87, 27);
    Button13 = make<QPushButton>(this, "Button13", 190, 0, 76, 27);
    BitBtn1 = make<QPushButton>(this, "BitBtn1", 269, 0, 74, 27);
    BitBtn1->setText(QStringLiteral("NV LOGO"));
    Button1 = make<QPushButton>(this, "Button1", 346, 0, 84, 27);
    BitBtn5 = make<QPushButton>(this, "BitBtn5", 433, 0, 65, 27);

    const struct
    {
        QPushButton *button;
        void (BottomRow::*handler)();
    } clicks[] = {
        {Button12, &BottomRow::Button12Click}, {Button20, &BottomRow::Button20Click},
        {Button13, &BottomRow::Button13Click}, {BitBtn1, &BottomRow::BitBtn1Click},
        {Button1, &BottomRow::Button1Click},   {BitBtn5, &BottomRow::BitBtn5Click},
    };
    for (const auto &c : clicks)
        connect(c.button, &QPushButton::clicked, this, c.handler);
}

void BottomRow::enableBatchButtons(bool on)
{
    for (QPushButton *b : {Button12, Button13, Button20, BitBtn1})
        b->setEnabled(on);
}

void BottomRow::Button12Click()
{
    settings_.selectAllButCutFeed();
    tests_.setEnabled(true);
    settings_.selectCutFeed();
}

void BottomRow::Button20Click()
{
    const bool ready = sender_.session->ready();
    settings_.skipAll(ready);
    tests_.setEnabled(ready);
}

void BottomRow::Button13Click()
{
    settings_.oneKeyUpdate();
}

void BottomRow::BitBtn1Click()
{
    TForm3 logo(sender_.session->target(), [this] { return connection_.rdbCommandOLD->isChecked(); });
    logo.exec();
    // The last operation may have been the logo window's: told here in the
    // interface language.
    const std::optional<SentCommand> sent = logo.lastSend();
    if (!sent)
        return;
    sender_.show([this, sent] { return sent->status(sender_.lang()); });
    if (sender_.afterSend)
        sender_.afterSend();
}

void BottomRow::Button1Click()
{
    connection_.closeOnQuit();
    window()->close();
}

void BottomRow::BitBtn5Click()
{
    TAboutBox about;
    about.exec();
}
