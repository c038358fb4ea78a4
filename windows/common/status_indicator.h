// The printer status indicator at the right end of a window's status bar:
// one coloured word (Ready, Paper out, No answer...), every condition and
// the printer's identity in its tooltip. It asks the printer on the library's
// worker thread; a click asks again.
#pragma once

#include "messages.h"
#include "printer_session.h"

#include <QLabel>

class QProgressBar;

class StatusIndicator : public QLabel
{
    Q_OBJECT
public:
    explicit StatusIndicator(QWidget *parent = nullptr);

    // Asks the session's printer and shows its answer, with a line in the
    // record when the answer changed or the user asked. Nothing is called when the library lacks QueryPrinter (shown
    // grey, with why), nor, unless the user asked, on a path that was found
    // to carry no answers. Returns false when nothing could be asked now
    // (another call in flight).
    bool ask(const PrinterSession &session, Language language, bool byUser, QProgressBar *progressBar);
    // Nothing known (no connection, or a serial port not open): empty.
    void clear();
    // Shows what is known in the other language.
    void retranslate(Language language);

    QString shown() const { return text(); }
    messages::IndicatorColour colour() const { return colour_; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void showReport(const PrinterReport &report, Language language);

    messages::IndicatorColour colour_ = messages::IndicatorColour::Grey;
    PrinterTarget silent_; // the path that answered "no answers here"
    PrinterReport last_;
    bool known_ = false;
    QString recorded_; // the path and line last put in the record
};
