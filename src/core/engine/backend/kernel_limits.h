#pragma once
// The per-user limits on kernel notification instances. Each watched folder
// has a kernel instance of its own (an inotify instance or a fanotify group),
// and the kernel grants a user only so many of them, 128 by default, counted
// over all of that user's processes. A folder beyond the limit is polled.
#include <string_view>

namespace tavrek::engine {

inline constexpr std::string_view kInotifyInstanceLimit = "fs.inotify.max_user_instances";
inline constexpr std::string_view kFanotifyGroupLimit = "fs.fanotify.max_user_groups";

// For an instance creation that failed with `error`: `limit` when the
// per-user limit refused it, else empty. The kernel says EMFILE for that limit
// and for a process out of descriptors alike; only the second leaves no
// descriptor to spare.
std::string_view InstanceLimitRefusing(int error, std::string_view limit);

// This process takes at most half of the user's inotify instances, so that
// file managers, editors and the desktop's own services keep theirs while a
// watch of many folders runs: beyond it folders are polled as beyond the
// limit. False when the share is used up; each true is matched by one
// ReturnInotifyInstance.
bool TakeInotifyInstance();
void ReturnInotifyInstance();
int InotifyInstanceShare();

// Lets the process hold as many descriptors as its hard limit allows (once):
// every watched folder costs a few, and the common soft limit of 1,024 is
// reached long before the user's instance limits are. Nothing here waits in
// select(), which is what the low soft limit protects.
void RaiseDescriptorLimit();

}  // namespace tavrek::engine
