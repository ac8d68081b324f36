#include "capture/privileges.h"

#include <linux/capability.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tavrek::capture {

bool KeepOnlyHandleReading(std::string& error) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
  const uint32_t kept = uint32_t{1} << CAP_DAC_READ_SEARCH;  // in the first word
  data[0].effective = kept;
  data[0].permitted = kept;
  if (prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0 ||
      syscall(SYS_capset, &header, data) != 0 || prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
    error = std::string("cannot drop capabilities: ") + std::strerror(errno);
    return false;
  }
  return true;
}

bool EndWithParent() {
  const pid_t parent = getppid();
  if (prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0) != 0) return false;
  // The parent may have ended before the signal was asked for.
  return getppid() == parent;
}

}  // namespace tavrek::capture
