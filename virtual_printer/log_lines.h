// The lines the virtual printer logs for what it did: one a command, each
// with its time, its source (the connection), its length and what it meant,
// with whatever comes thick summed up so that the log stays a few lines per
// kilobyte of input whatever the input holds:
// - text, line feeds and unknown bytes in a row are one line ("a run");
// - status and identity requests in a row are one line with their counts;
// - the same command again and again is one line with its count;
// - each job has a budget of lines that grows with its bytes; past it, its
//   lines are counted by what they said and summed up in one line, at most
//   once a second and at the job's end.
// A line is held open while it may still grow, and said when something
// else comes, when its job ends, or once it has been open for a second.
#pragma once

#include "command_decoder.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <vector>

class LogLines
{
public:
    using Sink = std::function<void(const QString &line)>;
    explicit LogLines(Sink sink);

    // One command applied for source: the printer's note when it could not
    // do what the command asks (empty when it did), and its answer.
    void command(const QString &source, const decoder::Decoded &command, const QString &problem,
                 const QByteArray &answer);
    // A line the job made (a receipt saved), within its budget; counted as
    // `kind` when past it.
    void jobLine(const QString &source, const QString &text, const QString &kind);
    // A line of its own outside any budget (connections, errors): what is
    // open is said first.
    void note(const QString &source, const QString &text);
    // The job of source ended: what is open and what was held back is said,
    // and its budget starts afresh.
    void endJob(const QString &source);
    // Called every kTickMs: says what has been open or held back for
    // kOpenMs; true while anything is still open or held (to be looked at
    // again).
    bool tick();
    // Says what is open now.
    void close();

    // A job's lines: kBaseLines, and kLinesPerKilobyte more for each
    // kilobyte of its commands.
    static constexpr qint64 kBaseLines = 100;
    static constexpr qint64 kLinesPerKilobyte = 4;
    static constexpr int kTickMs = 250;
    static constexpr int kOpenMs = 1000;
    // Characters of a run's text shown in its line.
    static constexpr qsizetype kRunStartShown = 48;
    // Longest description of one command in a line (a QR text is cut).
    static constexpr qsizetype kDescriptionShown = 200;

private:
    enum class Open {
        None,
        Run,
        Requests,
        Same
    };
    // What a held line or a request is counted as: a command by its kind,
    // length and values, or a text.
    struct Counted
    {
        int kind = -1; // -1: by label
        std::size_t length = 0;
        long value = 0;
        long value2 = 0;
        QString label;
        qint64 count = 0;
        bool same(const Counted &o) const
        {
            return kind == o.kind && length == o.length && value == o.value && value2 == o.value2 && label == o.label;
        }
        QString text() const;
    };
    struct Budget
    {
        qint64 bytes = 0;
        qint64 lines = 0;
        std::vector<Counted> held;
        qint64 heldLines = 0;
        int heldTicks = 0; // ticks since the first line held
    };

    void open(Open kind, const QString &source);
    Budget &budgetOf(const QString &source);
    QString openLine() const;
    // Whether one more line of the job fits its budget (and takes it).
    static bool withinBudget(Budget &budget);
    // One line not said: what it said is counted.
    static void hold(Budget &budget, const std::vector<Counted> &what);
    static void hold(Budget &budget, const Counted &what);
    void sayHeld(const QString &source, Budget &budget);
    static void count(std::vector<Counted> &into, const Counted &what, qint64 times);

    Sink sink_;
    std::map<QString, Budget> budgets_;
    Budget *budget_ = nullptr; // the one looked up last, for budgetSource_
    QString budgetSource_;

    // The line open now.
    Open open_ = Open::None;
    QString source_;
    QString stamp_; // empty when its job is past its budget: not said
    int openTicks_ = 0;
    qint64 bytes_ = 0;
    // a run
    QByteArray textStart_;
    bool textCut_ = false;
    qint64 textBytes_ = 0;
    qint64 lineFeeds_ = 0;
    qint64 unknownBytes_ = 0;
    QByteArray unknownStart_;
    QString runProblem_;
    // requests
    std::vector<Counted> asked_;
    qint64 answerBytes_ = 0;
    QByteArray firstAnswer_;
    // the same command again
    decoder::Decoded same_;
    QString sameProblem_;
    qint64 sameCount_ = 0;
};
