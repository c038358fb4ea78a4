// A window's one-line status text: how the last operation ended. A click on
// it asks for the record of this run.
#pragma once

#include <QLabel>

class StatusLine : public QLabel
{
    Q_OBJECT
public:
    explicit StatusLine(QWidget *parent = nullptr);
    // Shows text, elided to the line's width; the whole text is the tooltip.
    void setStatus(const QString &text);
    QString status() const { return full_; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();
    QString full_;
};
