// Time to read and rewrite a settings file and to load a setup document of
// the largest size the program reads (16 MiB, less 1 KiB so that the file
// stays readable after a key is added), both made of short lines: the
// settings file one section of comment lines with the keys at its end, the
// document one "[DIR]" section of folder lines.
//   profile_read [KIB] [FOLDER]
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "core/platform/file_io.h"
#include "core/platform/profile.h"
#include "core/setups/setup_document.h"

namespace {

using namespace tavrek;

constexpr size_t kKiB = 1024;

// Lines made by `line(i)` until the next one would pass `bytes`, then `tail`.
std::string Fill(std::string head, size_t bytes, const std::string& tail,
                 const std::function<std::string(size_t)>& line) {
  for (size_t i = 0;; ++i) {
    std::string next = line(i);
    if (head.size() + next.size() + tail.size() > bytes) break;
    head += next;
  }
  return head + tail;
}

size_t LineCount(const std::string& text) {
  size_t lines = 0;
  for (const char c : text) lines += c == '\n' ? 1 : 0;
  return lines;
}

void Measure(const char* what, const std::function<void()>& step) {
  const auto start = std::chrono::steady_clock::now();
  step();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-46s %9.3f s\n", what, seconds);
  std::fflush(stdout);
}

void MeasureSettings(const std::string& file, size_t bytes) {
  const std::string text =
      Fill("[View]\r\n", bytes, "TB=1\r\nSB=0\r\n[Start]\r\nMax=1\r\n",
           [](size_t i) { return "; comment " + std::to_string(i) + "\r\n"; });
  platform::WriteFileAtomically(file, text);
  std::printf("settings file: %zu bytes, %zu lines\n", text.size(), LineCount(text));
  int value = 0;
  Measure("GetPrivateProfileInt (key after the comments)",
          [&] { value = platform::GetPrivateProfileInt("View", "SB", 7, file); });
  Measure("WritePrivateProfileString (value replaced)",
          [&] { platform::WritePrivateProfileString("View", "TB", "0", file); });
  Measure("WritePrivateProfileString (key appended)",
          [&] { platform::WritePrivateProfileString("View", "TAB", "1", file); });
  if (value != 0 || platform::GetPrivateProfileInt("View", "TAB", 7, file) != 1) {
    std::printf("settings read back wrong\n");
  }
}

void MeasureDocument(const std::string& file, size_t bytes) {
  const std::string text = Fill(
      "[DIR]\r\n", bytes, "[Filter]\r\n*.tmp=1=1\r\n[Optionen]\r\nStartWatch=1\r\nfilter_typ=1\r\n",
      [](size_t i) { return "/home/user/f" + std::to_string(i) + "\r\n"; });
  platform::WriteFileAtomically(file, text);
  std::printf("setup document: %zu bytes, %zu lines\n", text.size(), LineCount(text));
  setups::SetupDocument document;
  Measure("setup document read and parsed", [&] {
    document = setups::ParseSetupDocument(platform::ReadTextFile(file).bytes);
  });
  std::printf("  %zu folders, %zu filter rows, StartWatch %d\n", document.setup.folders.size(),
              document.setup.filterRows.size(), document.startWatch);
}

}  // namespace

int main(int argc, char** argv) {
  const size_t bytes =
      (argc > 1 ? std::strtoull(argv[1], nullptr, 10) * kKiB : platform::kTextFileLimit) - kKiB;
  std::string folder = argc > 2 ? argv[2] : "/tmp/tavrek-profile-read-XXXXXX";
  if (argc <= 2 && !mkdtemp(folder.data())) return 1;
  const std::string settings = folder + "/Tavrek.ini";
  const std::string document = folder + "/big.tvk";
  MeasureSettings(settings, bytes);
  MeasureDocument(document, bytes);
  unlink(settings.c_str());
  unlink(document.c_str());
  if (argc <= 2) rmdir(folder.c_str());
  return 0;
}
