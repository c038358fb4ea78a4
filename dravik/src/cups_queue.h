// Print queues ("DRIVE") through libcups.
#pragma once

#include <string>
#include <vector>

namespace dravik {

// The CUPS queues (printers and classes) of the server the user's CUPS
// settings name (CUPS_SERVER, client.conf, else the local socket), the
// server's default first, then by name. Empty, with a reason, when no server
// answers.
std::vector<std::string> listQueues();

// Submits the bytes as one raw job (application/vnd.cups-raw: no filter runs)
// titled docName (NULL: CUPS' own "Untitled"). An empty queue name means the
// server's default queue.
bool sendToQueue(const std::string &queue, const char *docName, const unsigned char *data, std::size_t length);

} // namespace dravik
