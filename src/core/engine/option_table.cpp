#include "core/engine/option_table.h"

#include "core/app/control_ids.h"

namespace tavrek::engine {

namespace id = app::control;

// The document keys keep the spelling documents have always had ("Umbennen",
// "Atribute", "Unterverzeichnise"), so that older documents load the same.
const std::array<WatchOption, 9> kWatchOptionTable{{
    {&WatchOptions::rename, "rename", "Umbennen", id::kBoxRename},
    {&WatchOptions::remove, "delete", "Loeschen", id::kBoxDelete},
    {&WatchOptions::write, "write", "Schreiben", id::kBoxWrite},
    {&WatchOptions::access, "access", "Zugriff", id::kBoxAccess},
    {&WatchOptions::size, "size", "Dateigroesse", id::kBoxSize},
    {&WatchOptions::attributes, "attributes", "Atribute", id::kBoxAttributes},
    {&WatchOptions::security, "security", "Sicherheit", id::kBoxSecurity},
    {&WatchOptions::creation, "creation", "Erstellzeit", id::kBoxCreation},
    {&WatchOptions::subtree, "subtree", "Unterverzeichnise", id::kBoxSubtree},
}};

const WatchOption* FindOptionByConsoleName(std::string_view name) {
  for (const WatchOption& option : kWatchOptionTable) {
    if (option.consoleName == name) return &option;
  }
  return nullptr;
}

const WatchOption* FindOptionByBox(int boxId) {
  for (const WatchOption& option : kWatchOptionTable) {
    if (option.boxId == boxId) return &option;
  }
  return nullptr;
}

}  // namespace tavrek::engine
