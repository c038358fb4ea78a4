// Serial ports that virtual printers announce: a folder of symbolic links,
// each pointing at the device end of a pseudo-terminal that a virtual
// printer reads (the folder, link and lock rules: announcement_rules.h).
// Any name is allowed; a link counts while its target exists and is a
// character device, and its printer holds the lock file "<link>.lock".
#pragma once

#include <string>
#include <vector>

namespace dravik {

// The announcement folder for this user (without a trailing "/").
std::string announcementFolder();

// The full paths of the live links, sorted by name. A folder that does not
// exist, that belongs to another user, or that everybody may write to gives
// nothing.
std::vector<std::string> listAnnouncedPorts();

// True for a link of the announcement folder whose virtual printer no longer
// runs (nobody holds its lock): opening it could reach whatever terminal has
// since been given its pty number.
bool announcedPortAbandoned(const std::string &path);

} // namespace dravik
