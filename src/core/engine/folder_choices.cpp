#include "core/engine/folder_choices.h"

#include <algorithm>

namespace tavrek::engine {

std::string_view WatchChoiceText(BackendType choice) {
  switch (choice) {
    case BackendType::Inotify: return "inotify";
    case BackendType::Fanotify:
    case BackendType::Capture: return "fanotify";
    case BackendType::Poll: return "Abfragen (Polling)";
    case BackendType::Automatic: break;
  }
  return "Automatisch";
}

std::string WatchChoiceTip(BackendType choice) {
  if (choice == BackendType::Automatic) return {};
  return "Gewählt: " + std::string(WatchChoiceText(choice));
}

BackendType ChoiceOf(const FolderChoices& choices, std::string_view folder) {
  const auto found = choices.find(std::string(folder));
  return found == choices.end() ? BackendType::Automatic : found->second;
}

bool SetChoice(FolderChoices& choices, std::string_view folder, BackendType choice) {
  if (std::find(kWatchChoices.begin(), kWatchChoices.end(), choice) == kWatchChoices.end()) {
    return false;
  }
  if (ChoiceOf(choices, folder) == choice) return false;
  if (choice == BackendType::Automatic) {
    choices.erase(std::string(folder));
  } else {
    choices[std::string(folder)] = choice;
  }
  return true;
}

FolderChoices ChoicesWithin(const FolderChoices& choices, const FolderSet& folders) {
  FolderChoices within;
  for (const auto& [folder, choice] : choices) {
    if (folders.folders().contains(folder)) within.emplace(folder, choice);
  }
  return within;
}

BackendType EffectiveChoice(BackendType forced, const FolderChoices& choices,
                            std::string_view folder) {
  return forced != BackendType::Automatic ? forced : ChoiceOf(choices, folder);
}

}  // namespace tavrek::engine
