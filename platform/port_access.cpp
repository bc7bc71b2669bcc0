#include "platform/port_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tarvisk {

namespace {

std::string GroupName(gid_t gid) {
    struct group entry {};
    struct group* found = nullptr;
    char buffer[4096];
    if (getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return found->gr_name;
    return std::to_string(gid);
}

std::string UserName(uid_t uid) {
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return found->pw_name;
    return std::to_string(uid);
}

}  // namespace

PortAccessProblem CheckPortAccess(const std::string& path) {
    PortAccessProblem problem;
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return problem;
    if (::access(path.c_str(), R_OK | W_OK) == 0 || errno != EACCES)
        return problem;
    problem.denied = true;
    // Joining the owning group helps only when the mode lets that group read and write.
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
        problem.group = GroupName(st.st_gid);
        problem.message = "Permission denied on " + path + " (group " + problem.group +
                          "): add yourself to the group with \"sudo usermod -aG " + problem.group +
                          " $USER\", then log in again.";
        return problem;
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    problem.message = "Permission denied on " + path + " (owner " + UserName(st.st_uid) +
                      ", mode " + mode +
                      "): no group may open it, so joining one will not help; ask an "
                      "administrator to give it read and write access for a group such as "
                      "dialout (a udev rule keeps it), then join that group.";
    return problem;
}

std::string PortProblemReason(PortProblem problem) {
    switch (problem) {
        case PortProblem::None:
            return "no problem";
        case PortProblem::NotFound:
            return "not found";
        case PortProblem::Busy:
            return "in use by another program";
        case PortProblem::Denied:
            return "permission denied";
        case PortProblem::NotTerminal:
            return "not a serial port";
        case PortProblem::Reused:
            return "now another program's terminal";
        case PortProblem::Failed:
            break;
    }
    return "cannot be opened";
}

std::string PortProblemText(int32_t portIndex, const std::string& path, PortProblem problem) {
    const std::string port = "COM" + std::to_string(portIndex + 1);
    if (path.empty())
        return port + " has no device";
    return port + " (" + path + ") " + PortProblemReason(problem);
}

}  // namespace tarvisk
