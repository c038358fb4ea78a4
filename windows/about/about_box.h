// The About box: product label, version, company line and web address.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    QLabel *ProductName = nullptr;
    QLabel *Version = nullptr;
    QLabel *Copyright = nullptr;
    QLabel *Comments = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *ProgramIcon = nullptr;
    QPushButton *OKButton = nullptr;

private:
    void FormCreate();
};
