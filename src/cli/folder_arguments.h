#pragma once
// The folders of tavrek-watch's command line as the session watches them.
#include <optional>
#include <string>
#include <vector>

#include "core/engine/backend_type.h"
#include "core/engine/folder_choices.h"

namespace tavrek::cli {

// Each argument is one folder, commas and all, made absolute against the
// current folder. Nothing, with `error` set, for an empty argument or a
// relative one when the current folder is gone.
std::optional<std::vector<std::string>> WatchedFolders(const std::vector<std::string>& arguments,
                                                       std::string& error);

// The document's choices (keyed by its folder texts) keyed by the folders
// as WatchedFolders made them of those texts, position by position.
engine::FolderChoices ChoicesOfFolders(const std::vector<std::string>& arguments,
                                       const std::vector<std::string>& folders,
                                       const engine::FolderChoices& choices);

// A backend named on the command line, or chosen for a folder by a setup
// document, must serve each such folder that can be opened: false, with
// `error` set, when it cannot (fanotify without the right to mark the file
// system). The one named on the command line is used for every folder.
bool ChosenBackendsUsable(engine::BackendType forced, const engine::FolderChoices& choices,
                          const std::vector<std::string>& folders, std::string& error);

}  // namespace tavrek::cli
