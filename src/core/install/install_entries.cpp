#include "core/install/install_entries.h"

#include "core/app/desktop_entry.h"
#include "core/app/identity.h"
#include "core/app/shell_registration.h"
#include "core/platform/xml_text.h"

namespace tavrek::install {
namespace {

std::string Name() { return std::string(app::kProductName); }

}  // namespace

std::string GroupEntryFile(GroupEntry entry) {
  switch (entry) {
    case GroupEntry::Program:
      return "tavrek.desktop";
    case GroupEntry::Help:
      return "tavrek-hilfe.desktop";
    case GroupEntry::Uninstall:
      break;
  }
  return "uninstall-tavrek.desktop";
}

std::string GroupEntryText(GroupEntry entry, const std::string& program) {
  app::ApplicationEntry text;
  text.icon = std::string(app::kIconName);
  text.exec = {program};
  // No categories: the group's menu file places them, and nothing else should.
  switch (entry) {
    case GroupEntry::Program:
      text.name = Name();
      break;
    case GroupEntry::Help:
      text.name = Name() + " Hilfe";
      text.exec.push_back("-help");
      break;
    case GroupEntry::Uninstall:
      text.name = "Uninstall " + Name();
      text.exec.push_back("-uninstall");
      text.icon = "edit-delete";
      break;
  }
  return FormatApplicationEntry(text);
}

std::string GroupMenuText(const std::string& groupName) {
  // Entries in a folder below applications/ have ids prefixed "folder-".
  std::string include;
  for (GroupEntry entry : {GroupEntry::Program, GroupEntry::Help, GroupEntry::Uninstall}) {
    include += "      <Filename>" + platform::XmlText(groupName) + "-" + GroupEntryFile(entry) +
               "</Filename>\n";
  }
  // No document type line: menu readers parse the elements and never fetch it.
  return "<Menu>\n  <Name>Applications</Name>\n  <Menu>\n    <Name>" +
         platform::XmlText(groupName) + "</Name>\n    <Directory>quorvane-tavrek.directory</Directory>\n"
         "    <Include>\n" + include + "    </Include>\n  </Menu>\n</Menu>\n";
}

std::string GroupDirectoryText() {
  return "[Desktop Entry]\nType=Directory\nVersion=1.0\nName=" + Name() + "\nIcon=" +
         std::string(app::kIconName) + "\n";
}

}  // namespace tavrek::install
