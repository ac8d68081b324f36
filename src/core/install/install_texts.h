#pragma once
// The installer's messages.
#include <string>
#include <vector>

#include "core/install/list_removal.h"

namespace tavrek::install {

// Installing for all users without root.
std::string NoRightsMessage();
std::string OverwriteQuestion(const std::string& folder);
// A target folder the desktop entries and the uninstall list cannot carry;
// the folder is shown with its control characters and stray bytes as "\xHH".
std::string RefusedTargetMessage(const std::string& folder);
std::string RefusedGroupMessage(const std::string& group);
std::string CopyFailedQuestion(const std::string& target);
std::string TargetOpenFailure(const std::string& copy);
// The uninstalling copy could not be started.
std::string StartFailure(const std::string& program);
std::string ListOpenFailure(const std::string& list);
// What an uninstall left and why, the first entries by name; `complete`
// when everything the installer made is gone.
std::string NotRemovedMessage(const std::vector<NotRemoved>& entries, bool complete);
// "Wollen Sie wirklich Tavrek deinstallieren ?\n" + the system's text.
std::string UninstallQuestion(const std::string& systemText);

}  // namespace tavrek::install
