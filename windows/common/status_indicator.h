// The printer status indicator at the right end of a window's status bar:
// one coloured word (Ready, Paper out, No answer...), every condition and
// the printer's identity in its tooltip. It asks the printer on the library's
// worker thread; a click asks again.
#pragma once

#include "messages.h"
#include "printer_session.h"
#include "queue_states.h"

#include <QElapsedTimer>
#include <QLabel>

#include <optional>

class StatusIndicator : public QLabel
{
    Q_OBJECT
public:
    explicit StatusIndicator(QWidget *parent = nullptr);

    // Asks the session's printer on the library's worker thread and shows
    // its answer when it comes, with a line in the record when the answer
    // changed or the user asked; the window stays usable meanwhile, and
    // quits without waiting for it (the question owns what it uses). Nothing
    // is called when the library lacks QueryPrinter (shown grey, with why),
    // nor, unless the user asked, on a path that was found to carry no
    // answers. Returns false when a question is already on its way: this
    // one is asked once that one is answered. An answer for a path that is
    // no longer the session's, or that comes after clear(), is dropped.
    bool ask(const PrinterSession &session, Language language, bool byUser);
    // Shows an answer asked elsewhere (after a send) for the session's link;
    // the identity, which that question leaves out, is kept from the last
    // answer of the same link.
    void take(const PrinterSession &session, const PrinterReport &report, Language language);
    // False when the session's link was found to carry no answers.
    bool mayAsk(const PrinterSession &session) const;
    // True while a question is on its way.
    bool asking() const { return asking_; }
    // True when the printer answered within the last ms milliseconds.
    bool answeredWithin(qint64 ms) const { return answeredAt_.isValid() && answeredAt_.elapsed() < ms; }
    // Nothing known (no connection, or a serial port not open): empty.
    void clear();
    // Shows what is known in the other language.
    void retranslate(Language language);

    QString shown() const { return text(); }
    // The identity the printer told last, in one line; empty when none.
    QString identity(Language language) const
    {
        return known_ ? messages::identityLine(last_.identity, language) : QString();
    }
    messages::IndicatorColour colour() const { return colour_; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void showReport(const PrinterReport &report, Language language);
    void answered(const PrinterSession &session, const PrinterTarget &target, const PrinterReport &report,
                  const std::optional<QueueState> &queue, Language language, bool byUser);

    messages::IndicatorColour colour_ = messages::IndicatorColour::Grey;
    PrinterTarget silent_;     // the path that answered "no answers here"
    PrinterTarget lastTarget_; // the path last_ came from
    PrinterReport last_;
    std::optional<QueueState> queue_; // the print queue's own state, where the library tells it
    bool known_ = false;
    QString recorded_; // the path and line last put in the record
    bool asking_ = false;
    QElapsedTimer answeredAt_;
    int generation_ = 0; // counts clear(): an answer asked before it is dropped
    struct Again
    {
        const PrinterSession *session;
        Language language;
        bool byUser;
    };
    std::optional<Again> again_; // a question asked while another was on its way
};
