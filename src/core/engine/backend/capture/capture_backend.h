#pragma once
// fanotify for a program without the rights to it: the capture helper
// (installed for the group tavrek with the capabilities it needs) watches
// the folder and streams its changes; this backend decodes the stream.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/engine/backend/backend.h"

namespace tavrek::engine {

// Where the installed helper is looked for: the package's place first.
inline constexpr const char* kCaptureHelperPaths[] = {
    "/usr/libexec/tavrek/tavrek-capture",
    "/usr/local/libexec/tavrek/tavrek-capture",
};
// Names another helper (a build tree's, made capable by hand); the helper
// itself reads no environment.
inline constexpr const char* kCaptureHelperVariable = "TAVREK_CAPTURE_HELPER";

// The helper this process may run, or nothing.
std::optional<std::string> FindCaptureHelper();

// Whether the helper can be run and watch the folder's file system (it
// cannot in a user namespace of its own, say); asked once per file system.
bool CaptureHelperServes(const std::string& folder);

// Why fanotify is not used and how to get it, for a message to the user.
extern const char* const kCaptureHelperHint;
// The status row that says so once when an ordinary user's watch falls back
// to inotify.
inline constexpr std::string_view kStatusInotifyFallback =
    "inotify statt fanotify (kein Prozess, Ordner werden durchlaufen): für fanotify ohne root "
    "das Hilfsprogramm installieren (scripts/install-helper.sh) und der Gruppe tavrek beitreten";

std::unique_ptr<Backend> MakeCaptureBackend(std::string helper);

}  // namespace tavrek::engine
