#include "core/app/start_command.h"

#include <gtest/gtest.h>

namespace tavrek::app {
namespace {

TEST(StartCommandTest, JoinsTheArgumentsWithSingleBlanks) {
  const char* none[] = {"tavrek"};
  EXPECT_EQ(JoinCommandTail(1, none), "");
  const char* two[] = {"tavrek", "\"/home/a b/x.tvk", "y\""};
  EXPECT_EQ(JoinCommandTail(3, two), "\"/home/a b/x.tvk y\"");
}

TEST(StartCommandTest, DecidesTheFormOfEveryTail) {
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
      {"/e", {StartForm::Folder, ""}},
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
}

TEST(StartCommandTest, TheInstallerTakesNothingYet) {
  for (std::string_view tail : {"", "-install", "-uninstall+"}) {
    const InstallerAnswer answer = HandOffToInstaller(tail, "/opt/setup/tavrek-setup");
    EXPECT_FALSE(answer.handled);
    EXPECT_FALSE(answer.uninstalled);
  }
}

TEST(StartCommandTest, OnlyTheFirstCountedWindowIsMaximised) {
  WindowCounter counter;
  EXPECT_TRUE(counter.TakeMaximise());
  EXPECT_FALSE(counter.TakeMaximise());
  EXPECT_FALSE(counter.TakeMaximise());
  EXPECT_EQ(counter.count(), 3u);
}

}  // namespace
}  // namespace tavrek::app
