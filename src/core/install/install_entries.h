#pragma once
// The program group: three desktop entries in a folder of the start menu, a
// menu file that makes them a submenu and the submenu's directory entry.
#include <string>

namespace tavrek::install {

enum class GroupEntry { Program, Help, Uninstall };

// "tavrek.desktop", "tavrek-hilfe.desktop", "uninstall-tavrek.desktop".
std::string GroupEntryFile(GroupEntry entry);
// Names "Tavrek", "Tavrek Hilfe" (-help), "Uninstall Tavrek" (-uninstall).
std::string GroupEntryText(GroupEntry entry, const std::string& program);
std::string GroupMenuText(const std::string& groupName);
std::string GroupDirectoryText();

}  // namespace tavrek::install
