// A serial device the user may not open is explained with its group and the fix; one that
// opens, or does not exist, is not called a permission problem.

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/port_access.h"

namespace tarvisk {
namespace {

std::string MakeDevice(mode_t mode) {
    char path[] = "/tmp/tarvisk-port-XXXXXX";
    const int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    close(fd);
    chmod(path, mode);
    return path;
}

// Runs check() as an unprivileged user when the test runs as root (root may open anything),
// and returns its exit status.
template <typename Check>
int AsUnprivilegedUser(Check check) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 4;
}

TEST(PortAccess, DeniedDeviceNamesItsGroupAndTheFix) {
    const std::string path = MakeDevice(0660);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    const group* g = getgrgid(st.st_gid);
    const std::string groupName = g ? g->gr_name : std::to_string(st.st_gid);
    if (geteuid() != 0)
        chmod(path.c_str(), 0060);  // its owner is refused, its group is not
    const int status = AsUnprivilegedUser([&] {
        const PortAccessProblem p = CheckPortAccess(path);
        return p.denied && p.group == groupName && p.message.find(path) != std::string::npos &&
               p.message.find("sudo usermod -aG " + groupName + " $USER") != std::string::npos &&
               p.message.find("log in again") != std::string::npos;
    });
    EXPECT_EQ(status, 0);
    unlink(path.c_str());
}

// A mode that gives the group nothing: joining the group would not help, so none is named.
TEST(PortAccess, NoGroupAdviceWhenTheGroupMayNotOpenItEither) {
    const std::string path = MakeDevice(0600);
    if (geteuid() != 0)
        chmod(path.c_str(), 0);
    const int status = AsUnprivilegedUser([&] {
        const PortAccessProblem p = CheckPortAccess(path);
        return p.denied && p.group.empty() && p.message.find("usermod") == std::string::npos &&
               p.message.find("mode 0") != std::string::npos;
    });
    EXPECT_EQ(status, 0);
    unlink(path.c_str());
}

TEST(PortAccess, OpenableOrMissingDevicesAreNoPermissionProblem) {
    const std::string path = MakeDevice(0666);
    EXPECT_FALSE(CheckPortAccess(path).denied);
    unlink(path.c_str());
    EXPECT_FALSE(CheckPortAccess(path).denied);
    EXPECT_FALSE(CheckPortAccess("").denied);
}

}  // namespace
}  // namespace tarvisk
