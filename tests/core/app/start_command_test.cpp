#include "core/app/start_command.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrek::app {
namespace {

TEST(StartCommandTest, DecidesTheFormOfEveryTailAndTheFolderOptionTakesItsFolderWhole) {
  const std::pair<std::string_view, StartCommand> rows[] = {
      {"", {StartForm::Empty, ""}},
      {"-help", {StartForm::Help, ""}},
      // Only the exact word asks for help.
      {"-HELP", {StartForm::Document, "-HELP"}},
      {"-help ", {StartForm::Document, "-help "}},
      // Folder form: field 2, or field 1 when field 2 is empty or missing.
      {"/e>/home/a b>/home/shown", {StartForm::Folder, "/home/shown"}},
      {"/e>/home/a b>", {StartForm::Folder, "/home/a b"}},
      {"/e>/srv/x", {StartForm::Folder, "/srv/x"}},
      {"/e>/a,/b,>", {StartForm::Folder, "/a,/b,"}},
      {"/e>", {StartForm::Folder, ""}},
      // Only "/e>" starts the folder form: documents below /e... stay documents.
      {"/e", {StartForm::Document, "/e"}},
      {"/etc/x.tvk", {StartForm::Document, "/etc/x.tvk"}},
      {"/exports/a.tvk", {StartForm::Document, "/exports/a.tvk"}},
      {"/E>/srv", {StartForm::Document, "/E>/srv"}},
      // Documents: one quote off each end, nothing else touched.
      {"\"/home/a b/x.tvk\"", {StartForm::Document, "/home/a b/x.tvk"}},
      {"/home/a b/x.tvk", {StartForm::Document, "/home/a b/x.tvk"}},
      {"\"\"/x.tvk\"\"", {StartForm::Document, "\"/x.tvk\""}},
      {"\"/x.tvk", {StartForm::Document, "/x.tvk"}},
      {"\"", {StartForm::Document, ""}},
      {" /x.tvk ", {StartForm::Document, " /x.tvk "}},
  };
  for (const auto& [tail, expected] : rows) {
    EXPECT_EQ(ParseStartCommand(tail), expected) << tail;
  }
  // The folder option takes its one folder whole.
  const std::pair<std::vector<const char*>, StartCommand> argumentRows[] = {
      {{"tavrek", "--folder", "/t/c,d"}, {StartForm::OneFolder, "/t/c,d"}},
      {{"tavrek", "--folder", "/t/a>b"}, {StartForm::OneFolder, "/t/a>b"}},
      {{"tavrek", "--folder", "/e>/x>"}, {StartForm::OneFolder, "/e>/x>"}},
      // Nemo hands over a URI: decoded when it is a whole local one.
      {{"tavrek", "--folder", "file:///t/a%20b%2c%E2%82%AC"},
       {StartForm::OneFolder, "/t/a b,\xE2\x82\xAC"}},
      {{"tavrek", "--folder", "file:///t/50%"}, {StartForm::OneFolder, "file:///t/50%"}},
      {{"tavrek", "--folder", "file://host/t"}, {StartForm::OneFolder, "file://host/t"}},
      // Without exactly one folder after it the option is a document path.
      {{"tavrek", "--folder"}, {StartForm::Document, "--folder"}},
      {{"tavrek", "--folder", "/a", "/b"}, {StartForm::Document, "--folder /a /b"}},
      {{"tavrek", "/etc/x.tvk"}, {StartForm::Document, "/etc/x.tvk"}},
      {{"tavrek", "\"/home/a b/x.tvk", "y\""}, {StartForm::Document, "/home/a b/x.tvk y"}},
      {{"tavrek"}, {StartForm::Empty, ""}},
      {{"tavrek", "/e>/p>/p/c,d"}, {StartForm::Folder, "/p/c,d"}},
  };
  for (const auto& [words, wanted] : argumentRows) {
    EXPECT_EQ(ParseStartArguments(static_cast<int>(words.size()), words.data()), wanted)
        << JoinCommandTail(static_cast<int>(words.size()), words.data());
  }
}

}  // namespace
}  // namespace tavrek::app
