#include "platform/port_access.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace

PortAccessProblem CheckPortAccess(const std::string& path) {
    PortAccessProblem problem;
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return problem;
    if (::access(path.c_str(), R_OK | W_OK) == 0 || errno != EACCES)
        return problem;
    problem.denied = true;
    problem.group = GroupName(st.st_gid);
    problem.message = "Permission denied on " + path + " (group " + problem.group +
                      "): add yourself to the group with \"sudo usermod -aG " + problem.group +
                      " $USER\", then log in again.";
    return problem;
}

}  // namespace tarvisk
