#include "core/platform/open_files.h"

#include <map>

#include "core/platform/json_reader.h"

namespace tavrek::platform {
namespace {

// smbstatus -L --json prints
//   { "sessions": { "<id>": { "uid": 1000, "username": "anna", ... }, ... },
//     "open_files": { "<local path>": { "service_path": "/srv/share",
//         "filename": "dir/a.txt",
//         "opens": { "<pid>/<id>": { "uid": 1000, "username": "anna", ... } } } } }
// "username" of an open is missing when uids are not resolved (-n), and
// "sessions" is missing when only locks are listed.
using UserNames = std::map<int64_t, std::string>;

std::optional<int64_t> UidOf(const JsonValue& entry) {
  const JsonValue* uid = entry.Find("uid");
  if (uid == nullptr) return std::nullopt;
  if (uid->type() == JsonValue::Type::Number) return uid->integer();
  if (uid->type() != JsonValue::Type::String) return std::nullopt;
  return JsonValue::IntegerOfText(uid->text());
}

std::string NameOf(const JsonValue& entry) {
  const JsonValue* name = entry.Find("username");
  return name != nullptr && name->type() == JsonValue::Type::String ? name->text() : "";
}

UserNames SessionUsers(const JsonValue& root) {
  UserNames names;
  const JsonValue* sessions = root.Find("sessions");
  if (sessions == nullptr || sessions->type() != JsonValue::Type::Object) return names;
  for (size_t i = 0; i < sessions->size(); ++i) {
    const auto uid = UidOf(sessions->at(i));
    const std::string name = NameOf(sessions->at(i));
    if (uid && !name.empty()) names.emplace(*uid, name);
  }
  return names;
}

std::string UserOfOpen(const JsonValue& open, const UserNames& sessionUsers) {
  std::string name = NameOf(open);
  if (!name.empty()) return name;
  const auto uid = UidOf(open);
  if (!uid) return {};
  const auto known = sessionUsers.find(*uid);
  return known != sessionUsers.end() ? known->second : std::to_string(*uid);
}

std::string PathOfFile(const std::string& key, const JsonValue& file) {
  if (!key.empty()) return key;
  const JsonValue* share = file.Find("service_path");
  const JsonValue* name = file.Find("filename");
  if (share == nullptr || name == nullptr) return {};
  return share->text() + "/" + name->text();
}

}  // namespace

OpenFileList ParseSmbstatusJson(std::string_view json) {
  // Anything printed before the document (a warning, say) is skipped.
  const size_t start = json.find('{');
  const auto root = start == std::string_view::npos ? std::nullopt : ParseJson(json.substr(start));
  OpenFileList list;
  const JsonValue* files = root ? root->Find("open_files") : nullptr;
  if (files == nullptr || files->type() != JsonValue::Type::Object) return list;
  const UserNames sessionUsers = SessionUsers(*root);
  for (size_t i = 0; i < files->size(); ++i) {
    const JsonValue& file = files->at(i);
    const JsonValue* opens = file.Find("opens");
    const std::string path = PathOfFile(files->keyAt(i), file);
    if (opens == nullptr || opens->type() != JsonValue::Type::Object || path.empty()) continue;
    for (size_t j = 0; j < opens->size(); ++j) {
      // An open that names no user has nothing to tell.
      std::string user = UserOfOpen(opens->at(j), sessionUsers);
      if (!user.empty()) list.push_back(OpenFile{path, std::move(user)});
    }
  }
  return list;
}

}  // namespace tavrek::platform
