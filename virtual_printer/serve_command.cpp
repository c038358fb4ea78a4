#include "serve_command.h"

#include "output_writer.h"
#include "panel_input.h"
#include "port_announcement.h"
#include "print_session.h"
#include "pty_listener.h"
#include "quit_on_signal.h"
#include "serve_options.h"
#include "tcp_listener.h"

#include "escaped_text.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {

// Every line it prints is escaped: paths, names and values in it come from
// the command line or the system.
void say(const QString &text)
{
    std::fprintf(stdout, "%s\n", escapedControls(text).toLocal8Bit().constData());
    std::fflush(stdout);
}

void complain(const QString &text)
{
    std::fprintf(stderr, "nemboport serve: %s\n", escapedControls(text).toLocal8Bit().constData());
}

} // namespace

int runServe(const QStringList &args)
{
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        std::fputs(kServeUsage, stdout);
        return 0;
    }
    ServeOptions options;
    QString error;
    if (!parseServeOptions(args, options, error)) {
        complain(error + QStringLiteral(" (see nemboport serve --help)"));
        return 2;
    }
    if (!QCoreApplication::instance()) {
        complain(QStringLiteral("needs an application object"));
        return 1;
    }

    OutputWriter out;
    if (!out.open(options.outDir, error)) {
        complain(error);
        return 1;
    }
    QuitOnSignal quitOnSignal;
    PrintSession session(options.paperDots, out, stdout);
    session.setMaxReceipts(options.maxReceipts);
    session.readBackFlash(options.factory);
    session.setIdentity(options.identity);
    session.setConditions(options.conditions.paper, options.conditions.coverOpen, options.conditions.online);
    PanelInput panel(session, options.conditions);

    std::unique_ptr<TcpListener> tcp;
    if (!options.tcp.empty()) {
        tcp = std::make_unique<TcpListener>(session);
        for (const TcpEndpoint &endpoint : options.tcp) {
            if (!tcp->listen(endpoint.host, endpoint.port, error)) {
                complain(error);
                return 1;
            }
            const int i = tcp->addressCount() - 1;
            say(QStringLiteral("listening on %1 (raw print jobs, e.g. lpadmin -p virtual -E -v %2)")
                    .arg(tcp->address(i), tcp->uri(i)));
        }
    }
    std::unique_ptr<PtyListener> pty;
    PortAnnouncement announcement;
    if (options.pty) {
        if (options.baud > 0)
            session.setPortRate(options.baud);
        pty = std::make_unique<PtyListener>(session, options.baud);
        if (!pty->open(options.ptyLink, error)) {
            complain(error);
            return 1;
        }
        say(QStringLiteral("serial port %1%2%3")
                .arg(pty->devicePath(),
                     options.ptyLink.isEmpty() ? QString() : QStringLiteral(" (link %1)").arg(options.ptyLink),
                     options.baud > 0 ? QStringLiteral(", read at %1 baud 8N1").arg(options.baud) : QString()));
        if (announcement.announce(pty->devicePath(), error))
            say(QStringLiteral("announced as %1").arg(announcement.linkPath()));
        else
            complain(error + QStringLiteral(" (the serial port list will not show it)"));
    }
    say(QStringLiteral("writing %1/state.json, printer.json, log.txt and receipt-NNN.png (%2 dots wide); Ctrl+C ends")
            .arg(out.dir())
            .arg(options.paperDots));
    say(QStringLiteral("its panel: %1").arg(QLatin1String(kConditionLines)));

    QCoreApplication::exec();

    pty.reset();
    announcement.withdraw();
    tcp.reset();
    say(QStringLiteral("stopped%1")
            .arg(quitOnSignal.received() ? QStringLiteral(" on signal %1").arg(quitOnSignal.received()) : QString()));
    return 0;
}
