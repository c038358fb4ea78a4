// The printer's panel, as lines typed to the server's standard input: the
// paper, the cover and the on-line switch change while it runs.
#pragma once

#include "printer_state.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class PrintSession;
class QSocketNotifier;

class PanelInput : public QObject
{
    Q_OBJECT
public:
    // Reads lines from fd (the standard input). One that ends, is closed or
    // belongs to a terminal the server does not own is left alone (looked at
    // again once a second for a terminal): the server goes on either way.
    PanelInput(PrintSession &session, const PrinterConditions &start, int fd = 0, QObject *parent = nullptr);
    ~PanelInput() override;

    // The longest line taken; longer ones are dropped whole.
    static constexpr int kMaxLine = 256;

private:
    void readable();
    void take(const QByteArray &line);
    void pause();

    PrintSession &session_;
    PrinterConditions conditions_;
    int fd_;
    bool terminal_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer again_;
    QByteArray line_;
    bool tooLong_ = false;
};
