#pragma once
// The installer's messages.
#include <string>

namespace tavrek::setup {

// Installing for all users without root.
std::string NoRightsMessage();
std::string OverwriteQuestion(const std::string& folder);
std::string CopyFailedQuestion(const std::string& target);
std::string TargetOpenFailure(const std::string& copy);
std::string ListOpenFailure(const std::string& list);
// "Wollen Sie wirklich Tavrek deinstallieren ?\n" + the system's text.
std::string UninstallQuestion(const std::string& systemText);

}  // namespace tavrek::setup
