#pragma once
// The operating-system caption shown in each watch window.
#include <string>

namespace tavrek::platform {

inline constexpr const char* kOsReleasePath = "/etc/os-release";

// PRETTY_NAME of the os-release file (quotes and shell escapes removed;
// "Linux" when the file names none), the kernel release and the machine
// architecture, joined by " | ": "Debian GNU/Linux 12 (bookworm) | 6.1.0-18-amd64 | x86_64".
// "ERR-1" when the file cannot be opened, "ERR" when it opens but cannot be
// read (a folder, for one). When the default file is missing the fallback
// the os-release rules name, /usr/lib/os-release, is tried.
std::string OperatingSystemText(const std::string& osReleasePath = kOsReleasePath);

}  // namespace tavrek::platform
