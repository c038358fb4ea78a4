// QueryPrinter: a request and its answer on the path a port kind and name
// give. For a print queue, never as a print job: by the queue's device URI,
// straight to the device.
#pragma once

#include <cstddef>
#include <string>

namespace dravik {

// kind: "drive", "com" or "lpt" (lower case). The answer's length (0: none
// within timeoutMs), or -1 with the reason set (code 10 for a queue whose
// connection carries no answers).
int queryPrinter(const std::string &kind, const std::string &name, const unsigned char *request,
                 std::size_t requestLength, unsigned char *reply, std::size_t size, int timeoutMs);

} // namespace dravik
