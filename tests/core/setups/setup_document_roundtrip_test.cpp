// Random setups saved and loaded back: what the save kept comes back as it
// was, everything else is named in the save's notes.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "core/engine/folder_set.h"
#include "core/engine/option_table.h"
#include "core/platform/cp1252.h"
#include "core/setups/setup_document.h"

namespace tavrek::setups {
namespace {

// Blanks, the format's own characters and umlauts; now and then a byte that
// is no UTF-8, a line break or a NUL.
const std::vector<std::string> kPieces = {"/", "a", "Z", " ", "\t", ",", ">", "=", "[",
                                          "]", ";", "*", ".", "ü", "ß", "€"};
const std::vector<std::string> kRarePieces = {"\xDC", "\xFF", "\n", "\r", std::string(1, '\0')};

class RandomSetups {
 public:
  SetupDocument Next() {
    SetupDocument document;
    engine::WatchSetup& setup = document.setup;
    const bool many = Below(20) == 0;  // more long folders than a section holds
    for (size_t i = 0, count = many ? 600 : Below(8); i < count; ++i) {
      setup.folders.push_back(many ? "/srv/" + std::string(60, 'f') + std::to_string(i) : Name());
    }
    for (size_t i = 0, count = Below(8); i < count; ++i) {
      const auto kind = Below(2) ? engine::FilterKind::kInclude : engine::FilterKind::kExclude;
      // "#" and the row number keep the patterns apart.
      setup.filterRows.push_back({Name() + "#" + std::to_string(i), kind, Below(2) == 1});
    }
    for (const auto& option : engine::kWatchOptionTable) setup.options.*option.flag = Below(2) ? 1 : 0;
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

  std::mt19937 random_{20261207};
};

// What `given` should load back as, after the notes: left-out texts gone,
// cut patterns taken from `back` once they prove to be the start of their own.
SetupDocument Expected(const SetupDocument& given, const FormattedDocument& saved,
                       const SetupDocument& back) {
  std::set<std::pair<NoteItem, std::string>> leftOut, cut;
  for (const DocumentNote& note : saved.leftOut) {
    (note.reason == NoteReason::Cut ? cut : leftOut).insert({note.item, note.text});
  }
  SetupDocument expected = given;
  engine::FolderSet folders;
  for (const std::string& folder : given.setup.folders) folders.Add(folder);
  expected.setup.folders.clear();
  for (const auto& [key, path] : folders.folders()) {
    if (!leftOut.contains({NoteItem::Folder, path})) expected.setup.folders.push_back(path);
  }
  std::vector<engine::FilterRow>& rows = expected.setup.filterRows;
  std::erase_if(rows, [&](const auto& row) { return leftOut.contains({NoteItem::Filter, row.pattern}); });
  for (size_t i = 0; i < rows.size() && i < back.setup.filterRows.size(); ++i) {
    if (!cut.contains({NoteItem::Filter, rows[i].pattern})) continue;
    const std::string& kept = back.setup.filterRows[i].pattern;
    EXPECT_TRUE(rows[i].pattern.starts_with(kept) && kept.size() + 4 > kFilterTextLimit);
    rows[i].pattern = kept;
  }
  return expected;
}

TEST(SetupDocumentRoundTripTest, SavedSetupsLoadBackAsTheyWereOrTheSaveNamesWhatItLeftOut) {
  RandomSetups setups;
  for (int round = 0; round < 400; ++round) {
    SCOPED_TRACE(round);
    const SetupDocument given = setups.Next();
    const FormattedDocument saved = FormatSetupDocument(given);
    ASSERT_TRUE(platform::IsValidUtf8(saved.bytes));
    std::vector<DocumentNote> notLoaded;
    const SetupDocument back = ParseSetupDocument(saved.bytes, &notLoaded);
    EXPECT_TRUE(notLoaded.empty());
    EXPECT_EQ(back, Expected(given, saved, back));
    // What was loaded saves again without a loss, byte for byte.
    const FormattedDocument again = FormatSetupDocument(back);
    EXPECT_EQ(again.bytes, saved.bytes);
    EXPECT_TRUE(again.leftOut.empty());
  }
}

}  // namespace
}  // namespace tavrek::setups
