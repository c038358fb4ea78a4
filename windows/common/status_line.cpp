#include "status_line.h"

#include <QMouseEvent>

StatusLine::StatusLine(QWidget *parent)
    : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setCursor(Qt::PointingHandCursor);
}

void StatusLine::setStatus(const QString &text)
{
    make_ = nullptr;
    show(text);
}

void StatusLine::setStatus(StatusText make)
{
    make_ = std::move(make);
    show(make_ ? make_() : QString());
}

void StatusLine::retranslate()
{
    if (make_)
        show(make_());
}

void StatusLine::show(const QString &text)
{
    full_ = text;
    setToolTip(text);
    elide();
}

void StatusLine::elide()
{
    setText(fontMetrics().elidedText(full_, Qt::ElideRight, qMax(0, width() - 4)));
}

void StatusLine::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QLabel::mousePressEvent(event);
}

void StatusLine::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}
