#pragma once
// The helper's privileges: all it needs to set up the watch at first, and
// after that only what reading names back from file handles needs.
#include <cstdint>
#include <string>

namespace tavrek::capture {

// Keeps CAP_DAC_READ_SEARCH (open_by_handle_at) as the only effective and
// permitted capability, nothing inheritable or ambient, and no way to gain
// more by exec. False with the reason when the kernel refused.
bool KeepOnlyHandleReading(std::string& error);

// Ends this process with the signal when its parent ends; false when the
// parent has already gone (then nobody reads what it would write).
bool EndWithParent();

}  // namespace tavrek::capture
