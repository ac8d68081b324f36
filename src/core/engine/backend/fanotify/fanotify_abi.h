#pragma once
// The fanotify constants this backend relies on, and the flag sets it uses.
// Older C library headers lack some of them; the values are kernel ABI and
// never change, so they are defined here when missing.
#include <fcntl.h>
#include <sys/fanotify.h>

#include <cstdint>

#ifndef FAN_RENAME
#define FAN_RENAME 0x10000000
#endif
#ifndef FAN_OPEN_EXEC
#define FAN_OPEN_EXEC 0x00001000
#endif
#ifndef FAN_REPORT_FID
#define FAN_REPORT_FID 0x00000200
#endif
#ifndef FAN_REPORT_DIR_FID
#define FAN_REPORT_DIR_FID 0x00000400
#endif
#ifndef FAN_REPORT_NAME
#define FAN_REPORT_NAME 0x00000800
#endif
#ifndef FAN_REPORT_TARGET_FID
#define FAN_REPORT_TARGET_FID 0x00001000
#endif
#ifndef FAN_REPORT_DFID_NAME
#define FAN_REPORT_DFID_NAME (FAN_REPORT_DIR_FID | FAN_REPORT_NAME)
#endif
#ifndef FAN_MARK_FILESYSTEM
#define FAN_MARK_FILESYSTEM 0x00000100
#endif
#ifndef FAN_EVENT_INFO_TYPE_FID
#define FAN_EVENT_INFO_TYPE_FID 1
#endif
#ifndef FAN_EVENT_INFO_TYPE_DFID_NAME
#define FAN_EVENT_INFO_TYPE_DFID_NAME 2
#endif
#ifndef FAN_EVENT_INFO_TYPE_DFID
#define FAN_EVENT_INFO_TYPE_DFID 3
#endif
#ifndef FAN_EVENT_INFO_TYPE_OLD_DFID_NAME
#define FAN_EVENT_INFO_TYPE_OLD_DFID_NAME 10
#endif
#ifndef FAN_EVENT_INFO_TYPE_NEW_DFID_NAME
#define FAN_EVENT_INFO_TYPE_NEW_DFID_NAME 12
#endif

namespace tavrek::engine {

// Every event names its directory and entry (DFID_NAME); create, delete and
// rename also name the object itself (TARGET_FID, which needs FID), so a new
// directory's handle is known from its creation on, even when the directory
// is gone again by the time the event is read. Marks are not counted against
// the user's limit: a watch quiets up to a few hundred busy folders with
// marks of its own, which must not keep the next watch (or another program)
// from setting its marks.
inline constexpr unsigned kFanotifyInitFlags =
    FAN_CLASS_NOTIF | FAN_REPORT_DFID_NAME | FAN_REPORT_FID | FAN_REPORT_TARGET_FID |
    FAN_UNLIMITED_QUEUE | FAN_UNLIMITED_MARKS | FAN_CLOEXEC | FAN_NONBLOCK;
inline constexpr unsigned kFanotifyEventFlags = O_RDONLY | O_LARGEFILE;

// What the file-system mark asks for. Self events are left out here: on a
// file-system mark they would come for every deleted or moved object of the
// file system; the folder's own end is asked of an inode mark instead.
inline constexpr uint64_t kFanotifyEntryEvents =
    FAN_CREATE | FAN_DELETE | FAN_RENAME | FAN_MODIFY | FAN_ATTRIB | FAN_ONDIR;
inline constexpr uint64_t kFanotifyFolderSelfEvents = FAN_DELETE_SELF | FAN_MOVE_SELF | FAN_ONDIR;

// A program's start comes before any change it makes, in the same queue: its
// record names the process even when it has ended before its changes are read.
inline constexpr uint64_t kFanotifyProgramEvents = FAN_OPEN_EXEC;

inline constexpr uint64_t FanotifyFilesystemMask(bool wantAccess) {
  return kFanotifyEntryEvents | kFanotifyProgramEvents | (wantAccess ? FAN_ACCESS : 0);
}

}  // namespace tavrek::engine
