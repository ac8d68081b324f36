#pragma once
// How the user wants each folder watched. A folder without a choice is
// watched as the program decides: polling for network and FUSE file systems,
// fanotify where it may be used, inotify otherwise.
#include <array>
#include <map>
#include <string>
#include <string_view>

#include "core/engine/backend_type.h"
#include "core/engine/folder_set.h"

namespace tavrek::engine {

// The ways a user may choose, in the order a menu offers them.
inline constexpr std::array<BackendType, 4> kWatchChoices = {
    BackendType::Automatic, BackendType::Inotify, BackendType::Fanotify, BackendType::Poll};

// The folder list's words for a choice: "Automatisch", "inotify",
// "fanotify", "Abfragen (Polling)"; its tooltip line "Gewählt: fanotify"
// for a folder whose choice is not automatic (empty for one that is).
std::string_view WatchChoiceText(BackendType choice);
std::string WatchChoiceTip(BackendType choice);
inline constexpr std::string_view kWatchChoiceMenuText = "Überwachungsart";

// Keyed by the folder as entered, as the folder set is; only folders whose
// choice is not automatic have an entry.
using FolderChoices = std::map<std::string, BackendType>;

// The folder's choice: Automatic when none was made.
BackendType ChoiceOf(const FolderChoices& choices, std::string_view folder);
// Sets the folder's choice (Automatic removes it); true when it changed.
// Only the kinds of kWatchChoices are taken.
bool SetChoice(FolderChoices& choices, std::string_view folder, BackendType choice);
// The choices of the folders in the set, and no others.
FolderChoices ChoicesWithin(const FolderChoices& choices, const FolderSet& folders);
// What the folder's watch asks for: a backend forced for every folder wins
// over the folder's own choice.
BackendType EffectiveChoice(BackendType forced, const FolderChoices& choices,
                            std::string_view folder);

}  // namespace tavrek::engine
