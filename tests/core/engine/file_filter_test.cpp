// The session's filter set and folder set.
#include "core/engine/file_filter.h"

#include <gtest/gtest.h>

#include "core/engine/folder_set.h"

namespace tavrek::engine {
namespace {

struct MatchCase {
  std::string_view text;
  std::string_view pattern;
  bool matches;
};

TEST(MatchPatternTest, FollowsTheWildcardRulesAndTextsSplitAtSemicolons) {
  const MatchCase cases[] = {
      {"/X/A.LOG", "*.LOG", true},
      {"/X/A.LOG.BAK", "*.LOG", false},
      {"/X.LOG/A.TXT", "*.LOG", false},
      {"/TEMP/A.TXT", "/TEMP", true},         // no star: a prefix
      {"/TEMPORARY", "/TEMP", true},
      {"/TMP", "/TEMP", false},
      {"/A/B", "", true},                     // empty pattern matches all
      {"/A/B.", "*.", true},                  // the text ends with its last "."
      {"/A/B.C", "*.", false},
      {"/A/B", "*.", false},                  // no "." at all: the run "." is searched, not found
      {"/X/MYTMPFILE", "*TMP*", true},
      {"/X/FILE", "*TMP*", false},
      {"/Q/A.TXT", "ABC*.TXT", true},         // the literal before "*" is not tested
      {"/Q/ATXT", "ABC*.TXT", false},
      {"/A/B/C", "*/B*", true},
      {"/A/B", "*B", true},                   // the run only has to occur somewhere
      {"/A/C", "*B", false},
      {"A", "*.TXT", false},                  // text shorter than 2
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(MatchPattern(c.text, c.pattern), c.matches) << c.text << " ~ " << c.pattern;
  }
  // A filter text splits at ";", skipping empty pieces and keeping blanks.
  EXPECT_EQ(SplitFilterText("*.txt;;*.dok;"), (std::vector<std::string>{"*.txt", "*.dok"}));
  EXPECT_EQ(SplitFilterText(" a ; b"), (std::vector<std::string>{" a ", " b"}));
  EXPECT_TRUE(SplitFilterText(";;").empty());
}

FilterRow Row(std::string pattern, bool include) {
  return {std::move(pattern), include ? FilterKind::kInclude : FilterKind::kExclude, true};
}

TEST(FilterSetTest, DecidesWithoutRegardToCaseMergesRowsAndInvertsForLogOnlyThese) {
  FilterSet set;
  set.Rebuild({Row("*.log", false)});
  EXPECT_TRUE(set.IsFiltered("/x/a.LOG", LogFilterMode::kDoNotLogThese));
  EXPECT_FALSE(set.IsFiltered("/x/a.log.bak", LogFilterMode::kDoNotLogThese));

  set.Rebuild({Row("/tmp/Cache", false)});
  EXPECT_TRUE(set.IsFiltered("/TMP/cache/x", LogFilterMode::kDoNotLogThese));

  set.Rebuild({Row("*.txt", true), Row("*.dok", true)});
  EXPECT_FALSE(set.IsFiltered("/a/b.txt", LogFilterMode::kDoNotLogThese));
  EXPECT_FALSE(set.IsFiltered("/a/b.DOK", LogFilterMode::kDoNotLogThese));
  EXPECT_TRUE(set.IsFiltered("/a/b.png", LogFilterMode::kDoNotLogThese));

  set.Rebuild({Row("*.log", false), Row("*.LOG", true)});  // one key: the include wins
  EXPECT_FALSE(set.IsFiltered("/a/b.log", LogFilterMode::kDoNotLogThese));
  // "Log only these" inverts the decision of a non-empty set.
  FilterSet only;
  EXPECT_FALSE(only.IsFiltered("/a/b", LogFilterMode::kLogOnlyThese));
  only.Rebuild({Row("*.log", false)});
  EXPECT_FALSE(only.IsFiltered("/a/b.log", LogFilterMode::kLogOnlyThese));
  EXPECT_TRUE(only.IsFiltered("/a/b.txt", LogFilterMode::kLogOnlyThese));
  // A rebuild merges letter case and shows descending keys.
  FilterSet merged;
  auto shown = merged.Rebuild({Row("*.txt", false), Row("*.dok", true), Row("*.TXT", true)});
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].pattern, "*.TXT");  // the later row replaced the earlier one
  EXPECT_EQ(shown[0].kind, FilterKind::kInclude);
  EXPECT_EQ(shown[1].pattern, "*.dok");
}

struct ProcessCase {
  std::vector<FilterRow> rows;
  std::string_view path;
  std::string_view process;  // empty: not known
  bool filtered;
};

TEST(FilterSetTest, ProcessRowsDecideByTheWholeCommandNameBesideThePathRows) {
  const FilterRow excludeTouch{"Touch", FilterKind::kExcludeProcess, true};
  const FilterRow onlyCp{"cp*", FilterKind::kIncludeProcess, true};
  const ProcessCase cases[] = {
      {{excludeTouch}, "/a/b", "touch", true},
      {{excludeTouch}, "/a/b", "touchy", false},  // no star: the whole name, not a prefix
      {{excludeTouch}, "/a/b", "", false},
      {{excludeTouch}, "/touch/b", "cp", false},  // paths are not names
      {{onlyCp}, "/a/b", "cpio", false},
      {{onlyCp}, "/a/b", "mv", true},
      {{onlyCp}, "/a/b", "", true},  // an unknown process is none of the included
      {{onlyCp, Row("*.log", false)}, "/a/b.log", "cp", true},
      {{onlyCp, Row("*.log", true)}, "/a/b.txt", "cp", true},
  };
  for (const ProcessCase& c : cases) {
    FilterSet set;
    set.Rebuild(c.rows);
    EXPECT_EQ(set.IsFiltered(c.path, c.process, LogFilterMode::kDoNotLogThese), c.filtered)
        << c.path << " by " << c.process;
  }
  const auto shown = FilterSet().Rebuild({excludeTouch, Row("*.log", false), {"touch", FilterKind::kIncludeProcess, true}});
  ASSERT_EQ(shown.size(), 2u);  // the path row first; one process row per name
  EXPECT_EQ(FilterTypeText(shown[1].kind), kFilterTypeProcessInclude);
}

using Folders = std::vector<std::string>;

TEST(FolderSetTest, KeysKeepLetterCaseInByteOrderAndAnExistingKeyIsReplaced) {
  FolderSet set;
  for (const char* path : {"/srv/Logs", "/data", "/Data", "/data", "/a,b"}) set.Add(path);
  EXPECT_FALSE(set.Add(""));
  Folders paths;
  for (const auto& [key, path] : set.folders()) paths.push_back(path);
  EXPECT_EQ(paths, (Folders{"/Data", "/a,b", "/data", "/srv/Logs"}));
}

TEST(FolderListTest, SplitsAtCommasUnlessThereIsNoneOrALeadingOneAndEndsPathsInOneSlash) {
  EXPECT_EQ(SplitFolderList("/srv/Logs,,/data,/Data,"), (Folders{"/srv/Logs", "/data", "/Data"}));
  EXPECT_EQ(SplitFolderList(""), Folders{});
  EXPECT_EQ(SplitFolderList(" "), Folders{" "});  // blanks count
  EXPECT_EQ(SplitFolderList(",/a"), Folders{",/a"});
  // A folder path ends in one slash, runs collapsed.
  EXPECT_EQ(NormaliseFolderPath("/"), "/");
  EXPECT_EQ(NormaliseFolderPath("//"), "/");
  EXPECT_EQ(NormaliseFolderPath("/data"), "/data/");
  EXPECT_EQ(NormaliseFolderPath("//srv///share//"), "/srv/share/");
}

}  // namespace
}  // namespace tavrek::engine
