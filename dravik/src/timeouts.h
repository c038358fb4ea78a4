// Time-outs of the writing paths. The tests include this header too, so the
// documented figures and the checked ones are one and the same.
#pragma once

namespace dravik {

// Serial: the time the bytes need on the wire at that rate (10 bits a byte:
// start bit, 8 data bits, stop bit), times 1.5, plus 2 seconds.
constexpr long long serialTimeoutMs(long long length, long long baud)
{
    return 2000 + (length * 10 * 1000 * 3) / (2 * (baud > 0 ? baud : 1));
}

// Raw printer port: 3 seconds plus 1 second per 2000 bytes (the printer must
// take at least 2000 bytes a second on average).
constexpr long long lptTimeoutMs(long long length)
{
    return 3000 + length / 2;
}

// CUPS: connecting to the server; the whole of a listing (connecting
// included); the whole of a send: 10 seconds plus 1 second per megabyte.
constexpr int cupsConnectTimeoutMs = 3000;
constexpr long long cupsListTimeoutMs = 3000;
// Making a print queue (connecting and the look-up of its name included):
// the server writes its configuration before it answers.
constexpr long long cupsAdminTimeoutMs = 10000;
constexpr long long cupsSendTimeoutMs(long long length)
{
    return 10000 + length / 1000;
}
// Following a job: how long between two questions to the server (each one
// request): first soon, as a printer that is there takes a short job in a
// moment, then twice as long each time up to the longest pause. The longest
// pause grows with the jobs followed at the same time in this process (a
// fleet's threads), so the server hears at most about 150 questions a second
// however many follow, and with the time followed (a tenth of it), so a job
// that waits costs the server a few questions a second; a lone job that
// prints at once is asked after every shortest pause.
// And the time the server may take beyond the caller's bound.
constexpr int cupsFollowFirstPollMs = 40;
constexpr int cupsFollowShortestPollMs = 15;
constexpr int cupsFollowPerFollowerMs = 7;
constexpr int cupsFollowPollMs = 350;
// Several jobs followed together: the first question after about this long
// per job (a printer that is there takes a short job in a few milliseconds),
// at least a quarter of the first pause above.
constexpr int cupsSentJobMs = 8;
constexpr long long cupsFollowGraceMs = 3000;
// How often a wait for the server looks at the clock.
constexpr double cupsWaitSliceSeconds = 0.2;

// Job states (IPP): pending 3, held 4, processing 5, stopped 6, canceled 7,
// aborted 8, completed 9.

// The largest buffer a send accepts (a receipt printer never needs more).
constexpr long long maxSendLength = 64LL * 1024 * 1024;

} // namespace dravik
