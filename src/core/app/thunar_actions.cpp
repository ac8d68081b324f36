// Our one action inside Thunar's custom-action file, found by its unique id.
#include <optional>

#include "core/app/file_manager_actions.h"
#include "core/platform/xml_text.h"

namespace tavrek::app {
namespace {

constexpr std::string_view kUniqueIdElement = "<unique-id>tavrek-folder-verb</unique-id>";
constexpr std::string_view kActionOpen = "<action>";
constexpr std::string_view kActionClose = "</action>";
constexpr std::string_view kActionsClose = "</actions>";
constexpr std::string_view kEmptyFile =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n";

struct Range {
  size_t begin;
  size_t end;
};

// The bytes our action occupies, with the line end written after it.
std::optional<Range> FindOurAction(std::string_view file) {
  const size_t id = file.find(kUniqueIdElement);
  if (id == std::string_view::npos) return std::nullopt;
  const size_t begin = file.rfind(kActionOpen, id);
  size_t end = file.find(kActionClose, id);
  if (begin == std::string_view::npos || end == std::string_view::npos) return std::nullopt;
  end += kActionClose.size();
  if (end < file.size() && file[end] == '\n') ++end;
  return Range{begin, end};
}

}  // namespace

bool HasThunarAction(std::string_view file) { return FindOurAction(file).has_value(); }

std::string WithoutThunarAction(std::string_view file) {
  std::string text(file);
  if (const auto range = FindOurAction(text)) text.erase(range->begin, range->end - range->begin);
  return text;
}

std::string WithThunarAction(std::string_view file, std::string_view action) {
  std::string text = WithoutThunarAction(file.empty() ? kEmptyFile : file);
  const size_t close = text.rfind(kActionsClose);
  if (close == std::string::npos) return {};
  text.insert(close, action);
  return text;
}

std::string ThunarAction(const std::string& programPath) {
  // Thunar quotes what it puts for %f, so the placeholder stands bare; the
  // command is the text of an XML element.
  const std::string command = platform::XmlText(FolderOptionCommand(programPath) + " %f");
  return "<action>\n\t<icon>tavrek</icon>\n\t<name>" + VerbName() + "</name>\n\t" +
         std::string(kUniqueIdElement) + "\n\t<command>" + command +
         "</command>\n\t<description></description>\n\t<patterns>*</patterns>\n"
         "\t<directories/>\n</action>\n";
}

}  // namespace tavrek::app
