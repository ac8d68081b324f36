#include "core/engine/backend/fanotify/fanotify_programs.h"

#include "core/engine/process/process_names.h"

namespace tavrek::engine {

void FanotifyPrograms::Started(const FanotifyRecord& record, std::string path) {
  if (!record.entry) return;
  if (path.empty() && rootFsid_ == record.fsid) {
    if (std::optional<std::string> directory = root_.DirectoryPath(record.entry->directory)) {
      path = *directory == "/" ? "/" + record.entry->name : *directory + "/" + record.entry->name;
    }
  }
  ProcessNames::Shared().Exec(record.pid,
                              {record.entry->name, std::move(path), ProcessNames::ReadUid(record.pid)});
}

}  // namespace tavrek::engine
