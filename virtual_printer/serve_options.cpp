#include "serve_options.h"

#include "escaped_text.h"

namespace {

bool takesValue(const QStringList &args, int i)
{
    return i + 1 < args.size() && !args.at(i + 1).startsWith(QLatin1String("--"));
}

bool parseHostPort(const QString &text, TcpEndpoint &e)
{
    QString port = text;
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        QString host = text.left(colon);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
        if (host == QLatin1String("localhost"))
            e.host = QHostAddress(QHostAddress::LocalHost);
        else if (!e.host.setAddress(host))
            return false;
        port = text.mid(colon + 1);
    }
    bool ok = false;
    const uint p = port.toUInt(&ok, 10);
    if (!ok || p > 65535)
        return false;
    e.port = quint16(p);
    return true;
}

// A value as an error message quotes it: control characters escaped, cut short.
QString quoted(const QString &value)
{
    return QLatin1Char('"') + shownInput(value) + QLatin1Char('"');
}

} // namespace

bool parseServeOptions(const QStringList &args, ServeOptions &o, QString &error)
{
    bool baudGiven = false;
    bool modelNamed = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--tcp")) {
            TcpEndpoint endpoint;
            if (takesValue(args, i) && !parseHostPort(args.at(++i), endpoint)) {
                error =
                    QStringLiteral("--tcp wants [HOST:]PORT with a numeric address, not %1").arg(quoted(args.at(i)));
                return false;
            }
            for (const TcpEndpoint &given : o.tcp)
                if (given.host == endpoint.host && given.port == endpoint.port) {
                    error = QStringLiteral("--tcp %1 is given twice").arg(endpointText(endpoint));
                    return false;
                }
            o.tcp.push_back(endpoint);
        } else if (a == QLatin1String("--factory")) {
            o.factory = true;
        } else if (a == QLatin1String("--offline")) {
            o.conditions.online = false;
        } else if (a == QLatin1String("--paper") || a == QLatin1String("--cover")) {
            const QString v = takesValue(args, i) ? args.at(++i) : QString();
            const QString line = a.mid(2) + QLatin1Char(' ') + v;
            if (v.isEmpty() || !applyConditionLine(line, o.conditions)) {
                error = a == QLatin1String("--paper")
                            ? QStringLiteral("--paper wants ok, near-end or out, not %1").arg(quoted(v))
                            : QStringLiteral("--cover wants open or closed, not %1").arg(quoted(v));
                return false;
            }
        } else if (a == QLatin1String("--maker") || a == QLatin1String("--model-name") ||
                   a == QLatin1String("--firmware") || a == QLatin1String("--serial-number")) {
            const QString v = takesValue(args, i) ? args.at(++i) : QString();
            const QString problem = identityTextProblem(v);
            if (!problem.isEmpty()) {
                error = QStringLiteral("%1 %2, not %3").arg(a, problem, quoted(v));
                return false;
            }
            QByteArray &field = a == QLatin1String("--maker")        ? o.identity.maker
                                : a == QLatin1String("--model-name") ? o.identity.model
                                : a == QLatin1String("--firmware")   ? o.identity.firmware
                                                                     : o.identity.serialNumber;
            field = v.toLatin1();
            if (a == QLatin1String("--model-name"))
                modelNamed = true;
        } else if (a == QLatin1String("--pty")) {
            o.pty = true;
            if (takesValue(args, i))
                o.ptyLink = args.at(++i);
        } else if (a == QLatin1String("--baud") || a == QLatin1String("--out") || a == QLatin1String("--model") ||
                   a == QLatin1String("--max-receipts")) {
            if (!takesValue(args, i)) {
                error = QStringLiteral("%1 wants a value").arg(a);
                return false;
            }
            const QString &v = args.at(++i);
            bool ok = true;
            if (a == QLatin1String("--baud")) {
                o.baud = v.toLong(&ok, 10);
                if (!ok || o.baud < 50 || o.baud > 4000000) {
                    error = QStringLiteral("--baud wants a rate from 50 to 4000000, not %1").arg(quoted(v));
                    return false;
                }
                baudGiven = true;
            } else if (a == QLatin1String("--out")) {
                if (v.isEmpty()) {
                    error = QStringLiteral("--out wants a folder name, not an empty text");
                    return false;
                }
                o.outDir = v;
            } else if (a == QLatin1String("--max-receipts")) {
                o.maxReceipts = v.toLong(&ok, 10);
                if (!ok || o.maxReceipts < 0 || o.maxReceipts > 1000000) {
                    error = QStringLiteral("--max-receipts wants a count from 0 to 1000000, not %1").arg(quoted(v));
                    return false;
                }
            } else if (v == QLatin1String("58") || v == QLatin1String("80")) {
                o.paperDots = v == QLatin1String("58") ? 384 : 576;
            } else {
                error = QStringLiteral("--model wants 58 or 80, not %1").arg(quoted(v));
                return false;
            }
        } else {
            error = QStringLiteral("unknown argument %1").arg(quoted(a));
            return false;
        }
    }
    if (baudGiven && !o.pty) {
        error = QStringLiteral("--baud paces the pseudo-terminal: it needs --pty");
        return false;
    }
    if (!modelNamed)
        o.identity.model = o.paperDots == 384 ? "Virtual 58" : "Virtual 80";
    if (o.tcp.empty() && !o.pty)
        o.tcp.emplace_back();
    return true;
}

QString endpointText(const TcpEndpoint &endpoint)
{
    const QString host = endpoint.host.toString();
    return QStringLiteral("%1:%2")
        .arg(endpoint.host.protocol() == QAbstractSocket::IPv6Protocol ? QLatin1Char('[') + host + QLatin1Char(']')
                                                                       : host)
        .arg(endpoint.port);
}
