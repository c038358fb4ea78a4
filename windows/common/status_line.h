// A window's one-line status text: how the last operation ended. A click on
// it asks for the record of this run.
#pragma once

#include <QLabel>

#include <functional>

// A status worded in the interface language of the moment it is asked for,
// so it can be worded again after a language switch.
using StatusText = std::function<QString()>;

class StatusLine : public QLabel
{
    Q_OBJECT
public:
    explicit StatusLine(QWidget *parent = nullptr);
    // Shows text, elided to the line's width; the whole text is the tooltip.
    void setStatus(const QString &text);
    // The same, worded by make now and again at each retranslate().
    void setStatus(StatusText make);
    // Words the status again (after a language switch).
    void retranslate();
    QString status() const { return full_; }
    // What words the status shown; null for a fixed text.
    StatusText wording() const { return make_; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();
    void show(const QString &text);

    QString full_;
    StatusText make_;
};
