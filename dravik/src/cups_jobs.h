// This thread's last print-queue job: recorded by the send, followed to the
// printer and withdrawn by the calls of cups_queue.h.
#pragma once

#include <string>

namespace dravik {

struct LastJob
{
    int id = 0; // 0: none
    std::string queue;
    std::string resource; // "/printers/NAME" or "/classes/NAME"
    // Set by a withdrawal that found nothing of the job reached the printer:
    // its cancelled state then reads as withdrawn, not stopped while printing.
    bool withdrawn = false;
};

// The job a send to a print queue made is this thread's last job.
void rememberLastJob(const LastJob &job);

// "job 12 on "Receipts"".
std::string jobText(const LastJob &job);

} // namespace dravik
