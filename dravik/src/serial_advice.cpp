#include "serial_advice.h"

#include <cstdio>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

namespace dravik {

namespace {

// Names of a group and a user (the reentrant calls: a send may run on any
// thread); the number when it has no name.
std::string groupName(gid_t gid)
{
    std::vector<char> buf(16384);
    group g{};
    group *found = nullptr;
    if (::getgrgid_r(gid, &g, buf.data(), buf.size(), &found) == 0 && found && found->gr_name)
        return found->gr_name;
    return std::to_string(gid);
}

std::string userName(uid_t uid)
{
    std::vector<char> buf(16384);
    passwd p{};
    passwd *found = nullptr;
    if (::getpwuid_r(uid, &p, buf.data(), buf.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return std::to_string(uid);
}

} // namespace

// What a user refused a serial device can do about it: join the group that
// may read and write the device, or, when no group may (a device of root's
// with mode 0600), have a udev rule give it one.
std::string permissionAdvice(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return "add the user to the group of the device (ls -l " + path + " shows it), then log in again";
    const bool groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    const std::string owningGroup = groupName(st.st_gid);
    if (groupMayUse && st.st_gid != 0)
        return "the device belongs to group " + owningGroup +
               ", which may read and write it: add the user to it (sudo usermod -aG " + owningGroup +
               " $USER), then log in again";
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    const std::string who = groupMayUse ? "only its owner and group root may" : "no group may";
    return "the device (owner " + userName(st.st_uid) + ", group " + owningGroup + ", mode " + mode + "): " + who +
           " read and write it, so joining a group would not help; give it a group with a udev rule "
           "(\"A serial port no group may use\" in dravik/README.md)";
}

} // namespace dravik
