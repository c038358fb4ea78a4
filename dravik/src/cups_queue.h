// Print queues ("DRIVE") through libcups: listing them and their states,
// sending a raw job, following it to the printer and withdrawing it, and a
// queue's device. Spread by job over cups_listings.cpp, cups_send.cpp and
// cups_jobs.cpp, on the server calls of cups_server.h.
#pragma once

#include "queue_view.h"

#include <string>
#include <vector>

namespace dravik {

// The CUPS queues (printers and classes) of the server the user's CUPS
// settings name (CUPS_SERVER, client.conf, else the local socket), the
// server's default first, then by name. Empty, with a reason, when no server
// answers.
std::vector<std::string> listQueues();

// The same queues with their state, in one request; empty, with a reason,
// when no server answers.
std::vector<QueueState> listQueueStates();

// Submits the bytes as one raw job (application/vnd.cups-raw: no filter runs)
// titled docName (NULL: CUPS' own "Untitled"). An empty queue name means the
// server's default queue.
// On success the job is this thread's last job, which the two calls below
// follow and withdraw.
bool sendToQueue(const std::string &queue, const char *docName, const unsigned char *data, std::size_t length);

// Before a send: there is no last job to follow (a send to a queue makes
// its job the last one).
void forgetLastJob();
// A send on another path: the jobs sent before it are no longer followed
// together.
void forgetSentJobs();

// Waits up to timeoutMs for this thread's last job: 1 when the server handed
// it to the printer (or there is none), -1 when it was aborted, cancelled or
// stopped, 0 when it still waits (DRAVIK_ERROR_WAITING_IN_QUEUE, the text
// naming the queue's state and reasons).
int followLastJob(int timeoutMs);

// Follows every job this thread sent since its last follow, in the order
// sent, for up to timeoutMs in all: how many of them, from the first, the
// server handed to the printer. When fewer than all, the next one did not
// print (the reason set: DRAVIK_ERROR_WAITING_IN_QUEUE while it waits) and
// becomes the last job, with the later ones behind it.
int followSentJobs(int timeoutMs);

// Withdraws this thread's last job (and the jobs behind it, after a follow
// of the sent jobs stopped at it) unless it printed: 1 when withdrawn or
// already gone, 0 otherwise (DRAVIK_ERROR_STOPPED_WHILE_PRINTING for a job
// the server was already handing to the printer: stopped, never withdrawn).
int cancelLastJob();

// The device URI of a queue ("socket://10.0.0.5:9100") and what the server
// says of it (printing a job now, paused, ...); false with the reason set
// (DRAVIK_ERROR_NO_ANSWERS for a class, which has none of its own).
bool queueDevice(const std::string &queue, std::string &uri, QueueState &state);

} // namespace dravik
