#pragma once
// Removing what an uninstall list names, but only what the installer could
// have made: entries in the folders it writes to, with no ".." in their path
// and no symbolic link between that folder and the entry. The list is a file
// anyone with access to the program folder can edit, so it is never trusted
// to point elsewhere.
#include <string>
#include <vector>

namespace tavrek::install {

// A folder the installer writes to. Files lie 1 to `deepest` levels below
// `root`; the folders between may be removed when empty, the root itself
// only when `rootRemovable`. The root is taken as configured (it may be
// reached through a link); below it nothing is.
struct RemovalPlace {
  std::string root;
  int deepest = 1;
  bool rootRemovable = false;
};

enum class Removal {
  Removed,
  Missing,      // nothing there: nothing to do
  NotEmpty,     // a folder that still holds something stays
  Foreign,      // outside every place, or a path with ".."
  ThroughLink,  // a symbolic link on the way or at the end
  Failed,       // the system refused; `error` says why
};

struct RemovalResult {
  Removal removal = Removal::Removed;
  int error = 0;  // errno of a failure
};

// An entry that stays, with the reason, for the message that names it.
struct NotRemoved {
  std::string path;
  RemovalResult result;
};

// Deletes the file (never a folder, never what a link points to).
RemovalResult RemoveListedFile(const std::string& path, const std::vector<RemovalPlace>& places);
// Removes the folder when it is empty.
RemovalResult RemoveListedFolder(const std::string& path, const std::vector<RemovalPlace>& places);

}  // namespace tavrek::install
