// Random setups are saved and loaded back: what the save kept comes back as it
// was, and everything else is named in the save's notes.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "core/engine/folder_set.h"
#include "core/platform/cp1252.h"
#include "core/setups/setup_document.h"

namespace tavrek::setups {
namespace {

using engine::FilterRow;

// Blanks, the format's own characters and umlauts; now and then a byte that
// is no UTF-8, a line break or a NUL.
const std::vector<std::string> kPieces = {"/", "a", "Z", " ", "\t", ",", ">", "=", "[",
                                          "]", ";", "*", ".", "ü", "ß", "€"};
const std::vector<std::string> kRarePieces = {"\xDC", "\xFF", "\n", "\r", std::string(1, '\0')};

class RandomSetups {
 public:
  explicit RandomSetups(unsigned seed) : random_(seed) {}

  SetupDocument Next() {
    SetupDocument document;
    engine::WatchSetup& setup = document.setup;
    // Now and then more long folders than a section holds.
    const bool many = Below(20) == 0;
    for (size_t i = 0, count = many ? 600 : Below(8); i < count; ++i) {
      setup.folders.push_back(many ? "/srv/" + std::string(60, 'f') + std::to_string(i) : Name());
    }
    for (size_t i = 0, count = Below(8); i < count; ++i) {
      const auto type = Below(2) ? engine::kFilterTypeInclude : engine::kFilterTypeExclude;
      setup.filterRows.push_back({Name(), std::string(type), Below(2) == 1});
    }
    for (const OptionKey& option : kOptionKeys) setup.options.*option.flag = Below(2) ? 1 : 0;
    setup.logFilterMode = static_cast<engine::LogFilterMode>(Below(2));
    document.startWatch = static_cast<int32_t>(Below(7)) - 3;
    return document;
  }

 private:
  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

  std::string Name() {
    std::string name;
    for (size_t i = 0, length = Below(12); i < length; ++i) {
      const auto& pieces = Below(10) == 0 ? kRarePieces : kPieces;
      name += pieces[Below(pieces.size())];
    }
    if (Below(50) == 0) name += std::string(1100, 'x');  // past the 1,023 bytes of a pattern
    return name;
  }

  std::mt19937 random_;
};

std::vector<DocumentNote> NotesOf(const std::vector<DocumentNote>& notes, NoteItem item) {
  std::vector<DocumentNote> of;
  for (const DocumentNote& note : notes) {
    if (note.item == item) of.push_back(note);
  }
  return of;
}

void ExpectFoldersKeptOrNamed(const SetupDocument& given, const SetupDocument& back,
                              const std::vector<DocumentNote>& leftOut) {
  std::set<std::string> named;
  for (const DocumentNote& note : NotesOf(leftOut, NoteItem::Folder)) named.insert(note.text);
  engine::FolderSet set;
  for (const std::string& folder : given.setup.folders) set.Add(folder);
  std::vector<std::string> kept;
  for (const auto& [key, path] : set.folders()) {
    if (!named.contains(path)) kept.push_back(path);
  }
  EXPECT_EQ(back.setup.folders, kept);
  EXPECT_EQ(kept.size() + named.size(), set.size());
}

// The same pattern, or a long one cut to the limit (a character may end up to
// three bytes before it).
bool IsKeptAs(const std::string& given, const std::string& back) {
  constexpr size_t kLongestCharacter = 4;
  return given == back || (given.size() > kFilterTextLimit && given.starts_with(back) &&
                           back.size() + kLongestCharacter > kFilterTextLimit);
}

// Rows come back in order; a row not there is named, a shortened one noted as cut.
void ExpectRowsKeptOrNamed(const SetupDocument& given, const SetupDocument& back,
                           const std::vector<DocumentNote>& leftOut) {
  const std::vector<DocumentNote> notes = NotesOf(leftOut, NoteItem::Filter);
  const std::vector<FilterRow>& rows = back.setup.filterRows;
  size_t next = 0;
  size_t note = 0;
  for (const FilterRow& row : given.setup.filterRows) {
    const bool named = note < notes.size() && notes[note].text == row.pattern;
    if (next < rows.size() && rows[next].checked == row.checked &&
        rows[next].typeText == row.typeText && IsKeptAs(row.pattern, rows[next].pattern)) {
      const bool cut = rows[next++].pattern != row.pattern;
      EXPECT_EQ(cut, named && notes[note].reason == NoteReason::Cut) << row.pattern;
      note += cut ? 1 : 0;
      continue;
    }
    ASSERT_TRUE(named && notes[note].reason != NoteReason::Cut) << row.pattern;
    ++note;
  }
  EXPECT_EQ(next, rows.size());
  EXPECT_EQ(note, notes.size());
}

TEST(SetupDocumentRoundTripTest, SavedSetupsLoadBackAsTheyWereOrTheSaveNamesWhatItLeftOut) {
  RandomSetups setups(20261207);
  for (int round = 0; round < 400; ++round) {
    SCOPED_TRACE(round);
    const SetupDocument given = setups.Next();
    const FormattedDocument saved = FormatSetupDocument(given);
    ASSERT_TRUE(platform::IsValidUtf8(saved.bytes));
    std::vector<DocumentNote> notLoaded;
    const SetupDocument back = ParseSetupDocument(saved.bytes, &notLoaded);
    EXPECT_TRUE(notLoaded.empty());
    EXPECT_EQ(back.setup.options, given.setup.options);
    EXPECT_EQ(back.setup.logFilterMode, given.setup.logFilterMode);
    EXPECT_EQ(back.startWatch, given.startWatch);
    ExpectFoldersKeptOrNamed(given, back, saved.leftOut);
    ExpectRowsKeptOrNamed(given, back, saved.leftOut);
    // What was loaded saves again without a loss, byte for byte.
    const FormattedDocument again = FormatSetupDocument(back);
    EXPECT_EQ(again.bytes, saved.bytes);
    EXPECT_TRUE(again.leftOut.empty());
  }
}

}  // namespace
}  // namespace tavrek::setups
