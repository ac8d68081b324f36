// Setup documents written, read and round-tripped, and the favourites folder
// that holds them.
#include "core/setups/setup_document.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <set>

#include "core/engine/folder_set.h"
#include "core/engine/option_table.h"
#include "core/engine/watch_session.h"
#include "core/platform/cp1252.h"
#include "core/platform/file_io.h"
#include "core/setups/document_file.h"
#include "core/setups/favourites.h"
#include "support/temp_folder.h"

namespace tavrek::setups {
namespace {

using engine::FilterRow;
using engine::FilterKind;
using testing::TempFolder;

SetupDocument SampleDocument() {
  SetupDocument document;
  engine::WatchSetup& setup = document.setup;
  setup.folders = {"/srv/b", "/srv/Daten mit Blank", "/srv/a", "/srv/Grüße"};
  setup.filterRows = {{"*.tmp", FilterKind::kExclude, true},
                      {"*.txt", FilterKind::kInclude, false},
                      {"/srv/a/Ölwechsel", FilterKind::kInclude, true}};
  setup.options.remove = 0;
  setup.options.size = 0;
  setup.options.subtree = 0;
  setup.logFilterMode = engine::LogFilterMode::kLogOnlyThese;
  document.startWatch = 1;
  return document;
}

TEST(SetupDocumentTest, WritesTheDocumentByteExactAndReadsItBackEmptyOrWithLongPatterns) {
  TempFolder folder;
  const std::string path = (folder / "setup.tvk").string();
  const SetupDocument document = SampleDocument();
  ASSERT_TRUE(WriteSetupDocument(path, document).written);
  EXPECT_EQ(platform::ReadWholeFile(path).bytes,
            "[DIR]\r\n/srv/Daten mit Blank\r\n/srv/Grüße\r\n/srv/a\r\n/srv/b\r\n"
            "[Filter]\r\n*.tmp=1=1\r\n*.txt=0=0\r\n/srv/a/Ölwechsel=1=0\r\n"
            "[Optionen]\r\nUmbennen=1\r\nLoeschen=0\r\nSchreiben=1\r\nZugriff=1\r\n"
            "Dateigroesse=0\r\nAtribute=1\r\nSicherheit=1\r\nErstellzeit=1\r\n"
            "Unterverzeichnise=0\r\nStartWatch=1\r\nfilter_typ=1\r\n");

  const DocumentRead read = ReadSetupDocument(path);
  ASSERT_EQ(read.status, DocumentStatus::Ok);
  SetupDocument expected = document;
  expected.setup.folders = {"/srv/Daten mit Blank", "/srv/Grüße", "/srv/a", "/srv/b"};
  EXPECT_EQ(read.document, expected);
  // An empty setup, and a pattern too long.
  EXPECT_EQ(FormatSetupDocument({}).bytes,
            "[DIR]\r\n[Filter]\r\n[Optionen]\r\nUmbennen=1\r\nLoeschen=1\r\nSchreiben=1\r\n"
            "Zugriff=1\r\nDateigroesse=1\r\nAtribute=1\r\nSicherheit=1\r\nErstellzeit=1\r\n"
            "Unterverzeichnise=1\r\nStartWatch=0\r\nfilter_typ=0\r\n");

  SetupDocument longOne;
  // 1,022 ASCII bytes and an "ä" would end in half a character at 1,023 bytes.
  const std::string longPattern = std::string(1022, 'x') + "ä" + "tail";
  longOne.setup.filterRows = {{longPattern, FilterKind::kExclude, true}};
  const FormattedDocument saved = FormatSetupDocument(longOne);
  EXPECT_NE(saved.bytes.find("\r\n" + std::string(1022, 'x') + "=1=1\r\n"), std::string::npos);
  EXPECT_EQ(saved.leftOut, (std::vector<DocumentNote>{{NoteItem::Filter, longPattern, NoteReason::Cut}}));
}

TEST(SetupDocumentTest, SectionsOlderReadersSkipHoldProcessRowsAndChoicesAndEndAt32000Bytes) {
  SetupDocument document = SampleDocument();
  const std::string withoutProcesses = FormatSetupDocument(document).bytes;
  document.setup.filterRows.push_back({"touch", FilterKind::kExcludeProcess, true});
  document.setup.filterRows.push_back({"cp*", FilterKind::kIncludeProcess, false});
  const std::string bytes = FormatSetupDocument(document).bytes;
  EXPECT_EQ(bytes, withoutProcesses + "[Prozessfilter]\r\ntouch=1=1\r\ncp*=0=0\r\n");
  const SetupDocument read = ParseSetupDocument(bytes);
  EXPECT_EQ(read.setup.filterRows, document.setup.filterRows);
  EXPECT_EQ(FormatSetupDocument(read).bytes, bytes);
  // An older reader knows three sections; the choices come after them in a
  // fourth, which such a reader skips, and read back as they were.
  SetupDocument chosen = SampleDocument();
  chosen.setup.folders.push_back("/srv/x=y");
  const std::string before = FormatSetupDocument(chosen).bytes;
  chosen.setup.folderChoices = {{"/srv/x=y", engine::BackendType::Poll},
                                  {"/srv/Grüße", engine::BackendType::Fanotify}};
  const std::string withChoices = FormatSetupDocument(chosen).bytes;
  EXPECT_EQ(withChoices, before + "[Ueberwachungsart]\r\nfanotify=/srv/Grüße\r\npoll=/srv/x=y\r\n");
  SetupDocument expected = ParseSetupDocument(before);
  expected.setup.folderChoices = chosen.setup.folderChoices;
  EXPECT_EQ(ParseSetupDocument(withChoices), expected);
  // A second line for a folder, an unknown way and a folder not in the set change nothing.
  EXPECT_EQ(ParseSetupDocument(withChoices + "inotify=/srv/x=y\r\ncapture=/srv/a\r\npoll=/srv/c\r\n"),
            expected);
  // Inputs that once came back changed, or not at all, are now named instead.
  SetupDocument odd;
  odd.setup.folders = {"/tmp/\xDC" "ber", "/tmp/Straße", "/tmp/a\nb", std::string("/tmp\0x", 6)};
  const FilterKind include = FilterKind::kInclude;
  odd.setup.filterRows = {{"[abc]*.txt", include, true}, {"data=1", include, true},
                               {"*.log", FilterKind::kExclude, true}};
  const FormattedDocument saved = FormatSetupDocument(odd);
  EXPECT_EQ(saved.leftOut, (std::vector<DocumentNote>{
                               {NoteItem::Folder, std::string("/tmp\0x", 6), NoteReason::NulByte},
                               {NoteItem::Folder, "/tmp/a\nb", NoteReason::LineBreak},
                               {NoteItem::Folder, "/tmp/\xDC" "ber", NoteReason::NotUtf8},
                               {NoteItem::Filter, "[abc]*.txt", NoteReason::ReadAsOtherLine},
                               {NoteItem::Filter, "data=1", NoteReason::EqualsSign}}));
  const SetupDocument back = ParseSetupDocument(saved.bytes);
  EXPECT_EQ(back.setup.folders, std::vector<std::string>{"/tmp/Straße"});
  EXPECT_EQ(back.setup.filterRows, std::vector<FilterRow>{odd.setup.filterRows[2]});
  // A section is read only as far as 32,000 bytes go; lines with a NUL are refused.
  std::string text("[DIR]\r\n/tmp\0x\r\n", 15);
  for (int i = 0; i < 400; ++i) {
    std::string line = "/f" + std::to_string(1000 + i) + "/";
    text += line + std::string(100 - line.size(), 'x') + "\r\n";  // 100 bytes each
  }
  text += std::string("[Filter]\r\n*.a\0b=1=1\r\n*.tmp=1=1\r\n", 32);
  std::vector<DocumentNote> notLoaded;
  const SetupDocument full = ParseSetupDocument(text, &notLoaded);
  // 100 bytes and a NUL per line, one closing NUL: 316 lines fit into 32,000 bytes
  // (the refused line's 7 bytes too).
  ASSERT_EQ(full.setup.folders.size(), 316u);
  // The NUL line is refused; past the end, the first line is named and all are counted.
  ASSERT_EQ(notLoaded.size(), 3u);
  EXPECT_EQ(notLoaded[0], (DocumentNote{NoteItem::Folder, std::string("/tmp\0x", 6), NoteReason::NulByte}));
  EXPECT_TRUE(notLoaded[1].text.starts_with("/f1316/"));
  EXPECT_EQ(notLoaded[1].reason, NoteReason::SectionFull);
  EXPECT_EQ(notLoaded[1].lines, 84u);
  EXPECT_EQ(notLoaded[2].reason, NoteReason::NulByte);
  EXPECT_TRUE(full.setup.folders.back().starts_with("/f1315/"));
  EXPECT_EQ(full.setup.filterRows.size(), 1u);
}

TEST(SetupDocumentTest, ReadsHandMadeAndWindows1252DocumentsAndASessionTakesTheRowsAsTheyAre) {
  const SetupDocument document = ParseSetupDocument(
      "; made by hand\n"
      "[dir]\n"
      "/home/u/Projekt\r\n"
      "\n"
      "   \n"
      "/home/u/a=b\n"
      "[ FILTER ]\n"
      "*.bak\n"                 // pattern alone: unchecked, include
      "*.log=1=1=9=x\n"         // more than two "=": the first three fields count
      " *.o =1=1\n"             // blanks belong to the pattern
      "*.c=x=\n"                // non-numbers read as 0
      "[OPTIONEN]\n"
      "  loeschen  =  0  \n"
      "LOESCHEN=1\n"            // the first occurrence wins
      "Schreiben=7\n"           // any non-zero number checks the box
      "Zugriff=abc\n"           // no leading digits: 0
      "Dateigroesse=\n"         // empty: the default, the box id
      "startwatch= 2x\n"
      "FILTER_TYP=1abc\n"
      "[Optionen]\n"
      "Umbennen=0\n");          // a key is found in a later section of the name too

  EXPECT_EQ(document.setup.folders, (std::vector<std::string>{"/home/u/Projekt", "/home/u/a=b"}));
  const std::vector<FilterRow> rows{{"*.bak", FilterKind::kInclude, false},
                                    {"*.log", FilterKind::kExclude, true},
                                    {" *.o ", FilterKind::kExclude, true},
                                    {"*.c", FilterKind::kInclude, false}};
  EXPECT_EQ(document.setup.filterRows, rows);
  engine::WatchOptions options;  // what is missing stays checked
  options.remove = options.access = options.rename = 0;
  EXPECT_EQ(document.setup.options, options);
  EXPECT_EQ(document.startWatch, 2);
  EXPECT_EQ(document.setup.logFilterMode, engine::LogFilterMode::kLogOnlyThese);
  // Windows-1252 documents.
  const SetupDocument old =
      ParseSetupDocument("[DIR]\r\nC:\\Gr\xFC\xDF" "e\r\n[Filter]\r\n\x80*.txt=1=0\r\n[Optionen]\r\n");
  EXPECT_EQ(old.setup.folders, std::vector<std::string>{"C:\\Grüße"});
  EXPECT_EQ(old.setup.filterRows.at(0).pattern, "€*.txt");
  // A session takes loaded rows as they are.
  const SetupDocument loaded =
      ParseSetupDocument("[DIR]\r\n[Filter]\r\n*.log=0=1\r\n*.tmp=1=1\r\n*.TMP=1=0\r\n[Optionen]\r\n");
  engine::WatchSession session;
  session.Apply(loaded.setup);
  EXPECT_EQ(session.filterRows(), loaded.setup.filterRows);
  // The unchecked row keeps nothing out; the later "*.TMP" row replaced "*.tmp"
  // with an include, so only .tmp paths pass.
  EXPECT_FALSE(session.filterSet().IsFiltered("/x/a.tmp", engine::LogFilterMode::kDoNotLogThese));
  EXPECT_TRUE(session.filterSet().IsFiltered("/x/a.log", engine::LogFilterMode::kDoNotLogThese));
  EXPECT_TRUE(session.Setup().folders.empty());
}

// The text as UTF-16 bytes, little- or big-endian, after an optional mark.
std::string Utf16Bytes(std::u16string_view text, bool bigEndian, bool mark) {
  std::string bytes;
  for (const char16_t unit : mark ? u"\uFEFF" + std::u16string(text) : std::u16string(text)) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST(SetupDocumentTest, OnlyRegularFilesOfSensibleSizeAreReadAndUtf16AsItsText) {
  TempFolder folder;
  EXPECT_EQ(ReadSetupDocument((folder / "missing.tvk").string()).status, DocumentStatus::Missing);
  EXPECT_EQ(ReadSetupDocument(folder.path().string()).status, DocumentStatus::NotAFile);
  const std::string fifo = (folder / "fifo.tvk").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadSetupDocument(fifo).status, DocumentStatus::NotAFile);  // and no hang
  const std::string large = folder.Write("large.tvk").string();
  ASSERT_EQ(truncate(large.c_str(), static_cast<off_t>(kMaxDocumentBytes + 1)), 0);
  EXPECT_EQ(ReadSetupDocument(large).status, DocumentStatus::TooLarge);
  EXPECT_FALSE(WriteSetupDocument(fifo, {}).written);  // never written through a FIFO
  EXPECT_FALSE(WriteSetupDocument((folder / "no/such.tvk").string(), {}).written);
  EXPECT_FALSE(std::filesystem::exists(folder / "no"));
  EXPECT_TRUE(SetupTargetExists(fifo));
  EXPECT_FALSE(SetupTargetExists((folder / "missing.tvk").string()));
  // The extension is completed on the name, not on a folder.
  // ".TVK" kept and a missing extension added are seen in setup_io_test and watch_cli_setup_test.
  EXPECT_EQ(CompleteSetupExtension("/a.b/Setup"), "/a.b/Setup.tvk");
  EXPECT_EQ(CompleteSetupExtension("/a/Setup.txt"), "/a/Setup.txt.tvk");
  TempFolder u16;
  const std::u16string text =
      u"[DIR]\r\n/srv/Grüße\r\n/srv/\U0001F600\r\n[Optionen]\r\nStartWatch=1\r\n";
  const std::pair<bool, bool> forms[] = {{false, true}, {true, true}, {false, false}, {true, false}};
  for (const auto& [bigEndian, mark] : forms) {
    const auto u16Path = u16.Write("u16.tvk", Utf16Bytes(text, bigEndian, mark));
    const DocumentRead u16Read = ReadSetupDocument(u16Path.string());
    ASSERT_EQ(u16Read.status, DocumentStatus::Ok);
    EXPECT_TRUE(u16Read.notLoaded.empty());
    EXPECT_EQ(u16Read.document.setup.folders,
              (std::vector<std::string>{"/srv/Grüße", "/srv/\U0001F600"}));
    EXPECT_EQ(u16Read.document.startWatch, 1);
  }
  // A lone surrogate has no UTF-8 form: one refusal, not a note per line.
  const auto broken = u16.Write("u16.tvk", Utf16Bytes(u"[DIR]\r\n/srv/", false, true) +
                                                 std::string("\x00\xD8\r\0\n\0", 6));
  EXPECT_EQ(ReadSetupDocument(broken.string()).status, DocumentStatus::BrokenUtf16);
  // Text without any of the sections is no setup; nothing at all is an empty one.
  std::mt19937 random(7);
  std::string noise(100'000, '\0');
  for (char& byte : noise) byte = static_cast<char>(random());
  for (const std::string& bytes :
       {noise, std::string("hello\r\nworld=1"), Utf16Bytes(u"a=1", false, true)}) {
    EXPECT_EQ(SetupDocumentFromBytes(bytes).status, DocumentStatus::NotASetup) << bytes.size();
  }
  for (const std::string bytes :
       {"", "\xEF\xBB\xBF \r\n\r\n", "; x\r\n[optionen]", "[Ueberwachungsart]"}) {
    EXPECT_EQ(SetupDocumentFromBytes(bytes).status, DocumentStatus::Ok) << bytes;
  }
}

// Random setups saved and loaded back: what the save kept comes back as it
// was, everything else is named in the save's notes.
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

TEST(FavouritesTest, FolderNameDateNameAndAListingFoldersFirstSortedTheGermanWay) {
  EXPECT_EQ(NormaliseFavouritesFolder(""), "");
  EXPECT_EQ(NormaliseFavouritesFolder("/home/u/fav"), "/home/u/fav/");
  EXPECT_EQ(NormaliseFavouritesFolder("//home///u/fav//"), "/home/u/fav/");
  EXPECT_EQ(NormaliseFavouritesFolder("/"), "/");
  // A new favourite is named by day, month, year, hour and minute.
  EXPECT_EQ(DateName({2026, 3, 0, 6, 9, 5, 0, 0}), "6.03.2026 09-05");
  TempFolder folder;
  folder.Write("b.tvk");
  folder.Write("A notes.txt");
  folder.Write(".hidden.tvk");
  folder.Write("zeta/inner.tvk");
  folder.Write("Alpha/x.tvk");
  std::vector<std::string> names;
  for (const FavouriteItem& item : ListFavourites(folder.path().string())) {
    names.push_back(item.name + (item.isFolder ? "/" : ""));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha/", "zeta/", ".hidden.tvk", "A notes.txt", "b.tvk"}));
  EXPECT_TRUE(ListFavourites((folder / "missing").string()).empty());
  EXPECT_TRUE(FavouritesFolderUsable(folder.path().string()));
  EXPECT_FALSE(FavouritesFolderUsable((folder / "b.tvk").string()));
  EXPECT_FALSE(FavouritesFolderUsable(""));
  const std::pair<std::string_view, std::string_view> keys[] = {
      {"Äpfel", "apfel"}, {"öl", "ol"},   {"Übung", "ubung"}, {"Straße", "strasse"},
      {"ÖSTERREICH", "osterreich"}, {"Zebra", "zebra"}, {"a\xff", "a\xff"},
  };
  for (const auto& [name, key] : keys) EXPECT_EQ(GermanSortKey(name), key) << name;
  // A typed name stays inside the folder it is saved into.
  const std::pair<std::string_view, bool> typed[] = {{"Mein", true}, {"..x", true}, {"../up", false},
                                                     {"a/b", false}, {".", false},   {"..", false},
                                                     {std::string_view("a\0b", 3), false}};
  for (const auto& [name, usable] : typed) EXPECT_EQ(FavouriteNameUsable(name), usable) << name;
}

}  // namespace
}  // namespace tavrek::setups
