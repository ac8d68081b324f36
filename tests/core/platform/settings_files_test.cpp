// The two files settings live in: the profile (INI) text and the registry
// (REGEDIT4) text.
#include "core/platform/profile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/platform/cp1252.h"
#include "core/platform/file_io.h"
#include "core/platform/profile_text.h"
#include "core/platform/registry_store.h"
#include "support/temp_folder.h"

namespace tavrek::platform {
namespace {

class ProfileTest : public ::testing::Test {
 protected:
  std::string Make(const std::string& content) { return folder_.Write("p.ini", content); }
  std::string Content(const std::string& file) { return ReadWholeFile(file).bytes; }

  testing::TempFolder folder_;
};

TEST_F(ProfileTest, ReadsNamesCaseInsensitivelyIntegersByLeadingDigitsAndCutsToWholeUnits) {
  const std::string file = Make(
      "\xEF\xBB\xBF"
      "top=before any section\r\n"
      "[View]\r\n"
      "; TB=7\r\n"
      "  TB  =  1  \r\n"
      "tb=2\r\n"
      "no equals sign\n"
      "Quoted=\"  padded  \"\n"
      "[Other]\n"
      "only=here\n"
      "[VIEW]\n"
      "TB=3\n"
      "Late=4");
  const std::pair<std::string_view, std::string_view> rows[] = {
      {"TB", "1"}, {"tB", "1"}, {"quoted", "  padded  "}, {"late", "4"},
      {"only", "(default)"}, {"top", "(default)"}, {"no equals sign", "(default)"},
  };
  for (const auto& [key, expected] : rows) {
    EXPECT_EQ(GetPrivateProfileString("view", key, "(default)", file), expected) << key;
  }
  EXPECT_EQ(GetPrivateProfileString("other", "ONLY", "", file), "here");
  // Integers follow the leading-digit rule.
  const std::string numbers = Make(
      "[S]\r\nplain=42\r\ntail=12abc\r\nletters=abc\r\nneg=-5\r\nspaced= 7 \r\n"
      "empty=\r\nsign=-\r\nhuge=99999999999\r\nquoted=\"8\"\r\n");
  const std::pair<std::string_view, int> numberRows[] = {
      {"plain", 42}, {"tail", 12}, {"letters", 0}, {"neg", -5}, {"spaced", 7},
      {"empty", 99}, {"sign", 0}, {"huge", 2147483647}, {"quoted", 8}, {"missing", 99},
  };
  for (const auto& [key, expected] : numberRows) {
    EXPECT_EQ(GetPrivateProfileInt("s", key, 99, numbers), expected) << key;
  }
  // Long strings are cut to the buffer without splitting characters.
  const std::string longAscii(2000, 'x');
  std::string longUmlauts;
  for (int i = 0; i < 600; ++i) longUmlauts += "ä";
  const std::string longs = Make("[S]\r\na=" + longAscii + "\r\nb=" + longUmlauts + "\r\n");
  EXPECT_EQ(GetPrivateProfileString("S", "a", "", longs), std::string(1023, 'x'));
  EXPECT_EQ(GetPrivateProfileString("S", "b", "", longs).size(), 1022u);
  EXPECT_EQ(GetPrivateProfileString("S", "a", "", longs, 4), "xxx");
  EXPECT_EQ(GetPrivateProfileString("S", "missing", "default", longs, 4), "def");
  // A section read gives NUL-separated entries cut to whole lines.
  const std::string sections = Make("[DIR]\r\n a = 1 \r\nnoise\r\n;c=2\r\nbb=22\r\n[DIR]\r\nc=3\r\n");
  EXPECT_EQ(GetPrivateProfileSection("dir", sections), std::string("a = 1\0bb=22\0", 12));
  EXPECT_EQ(GetPrivateProfileSection("dir", sections, 13), std::string("a = 1\0bb=22\0", 12));
  EXPECT_EQ(GetPrivateProfileSection("dir", sections, 12), std::string("a = 1\0", 6));
  EXPECT_EQ(GetPrivateProfileSection("dir", sections, 6), "");
  EXPECT_EQ(GetPrivateProfileSection("missing", sections), "");
}

TEST_F(ProfileTest, WritesInPlaceKeepingEveryOtherByteAndRefusesWhatItCannotHold) {
  const std::string before =
      "; settings\n[View]\n  tb = 0\nSB=1\r\n\r\n[Start]\nMax=0\ttrailing";
  const std::string file = Make(before);
  ASSERT_TRUE(WritePrivateProfileString("VIEW", "TB", "1", file));
  ASSERT_TRUE(WritePrivateProfileString("start", "max", "-3", file));
  EXPECT_EQ(Content(file), "; settings\n[View]\ntb=1\nSB=1\r\n\r\n[Start]\nMax=-3");
  // New keys go inside their section, new sections at the end.
  Make("[A]\r\nx=1\r\n; about B\r\n\r\n[B]\r\ny=2");
  ASSERT_TRUE(WritePrivateProfileString("a", "New", "v", file));
  ASSERT_TRUE(WritePrivateProfileString("B", "z", "3", file));
  ASSERT_TRUE(WritePrivateProfileString("C", "k", "", file));
  EXPECT_EQ(Content(file),
            "[A]\r\nx=1\r\nNew=v\r\n; about B\r\n\r\n[B]\r\ny=2\r\nz=3\r\n\r\n[C]\r\nk=\r\n");
  EXPECT_EQ(GetPrivateProfileString("c", "K", "default", file), "");
  // Keys and sections are removed.
  Make("[A]\r\nx=1\r\ny=2\r\n[B]\r\nx=3\r\n[a]\r\nx=4\r\n");
  ASSERT_TRUE(WritePrivateProfileString("a", "X", std::nullopt, file));
  EXPECT_EQ(GetPrivateProfileString("A", "x", "gone", file), "gone");
  ASSERT_TRUE(WritePrivateProfileString("b", std::nullopt, std::nullopt, file));
  EXPECT_EQ(Content(file), "[A]\r\ny=2\r\n[a]\r\n");
  // Removing what is not there neither fails nor creates a file.
  const std::string absent = (folder_ / "absent.ini").string();
  EXPECT_TRUE(WritePrivateProfileString("A", "x", std::nullopt, absent));
  EXPECT_TRUE(WritePrivateProfileString("A", std::nullopt, std::nullopt, absent));
  EXPECT_EQ(ReadWholeFile(absent).status, ReadStatus::Missing);
  // A Windows-1252 file stays so until a text does not fit.
  const std::string cp = Make("[Filter]\r\nbox=Gr\xF6\xDF" "e\r\n\x81 odd line\r\nold=\x80\r\n");
  EXPECT_EQ(GetPrivateProfileString("Filter", "box", "", cp), "Größe");
  ASSERT_TRUE(WritePrivateProfileString("Filter", "new", "ü", cp));
  EXPECT_EQ(Content(cp), "[Filter]\r\nbox=Gr\xF6\xDF" "e\r\n\x81 odd line\r\nold=\x80\r\nnew=\xFC\r\n");
  ASSERT_TRUE(WritePrivateProfileString("Filter", "new", "✓", cp));
  EXPECT_EQ(Content(cp), "[Filter]\r\nbox=Größe\r\n\u0081 odd line\r\nold=€\r\nnew=✓\r\n");
  // Each change that adds or removes lines finds every section where it now is.
  ProfileText changed = ProfileText::FromFileBytes("[A]\r\nx=1\r\n[B]\r\ny=2\r\n[a]\r\nz=3\r\n");
  changed.SetValue("B", "new", "1");
  changed.SetValue("a", "z", "4");
  changed.SetValue("C", "k", "v");
  changed.SetValue("c", "k2", "w");
  EXPECT_TRUE(changed.RemoveSection("b"));
  changed.SetValue("A", "x", "5");
  EXPECT_EQ(changed.ToFileBytes(), "[A]\r\nx=5\r\n[a]\r\nz=4\r\n\r\n[C]\r\nk=v\r\nk2=w\r\n");
  EXPECT_EQ(changed.SectionEntries("c"), (std::vector<std::string>{"k=v", "k2=w"}));
  // Files that are no text file are absent and left alone.
  const std::string utf16 = folder_.Write("utf16.ini", std::string("\xFF\xFE[\0S\0]\0", 8));
  const std::string fifo = (folder_ / "fifo.ini").string(), zero = (folder_ / "zero.ini").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", zero);
  // Read without waiting for a writer of the FIFO, and never written.
  for (const std::string& odd : {utf16, Make("\xFE\xFF\x4E\x2D"), fifo, zero}) {  // UTF-16, a CJK character
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 5, odd), 5) << odd;
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "1", odd)) << odd;
  }
  EXPECT_EQ(Content(utf16), std::string("\xFF\xFE[\0S\0]\0", 8));
  EXPECT_NE(ProfileFileProblem(utf16), "");
  EXPECT_NE(ProfileFileProblem(fifo).find("not a regular file"), std::string::npos);
  EXPECT_EQ(ProfileFileProblem(Make("[S]\r\n")), "");
  // Names and values the format cannot hold are refused; the odd stays.
  const std::string kept = Make("[S]\r\nk=1\r\n");
  EXPECT_FALSE(WritePrivateProfileString("S]", "k", "2", kept));
  EXPECT_FALSE(WritePrivateProfileString("S", "a=b", "2", kept));
  EXPECT_FALSE(WritePrivateProfileString("S", "", "2", kept));
  EXPECT_FALSE(WritePrivateProfileString("S", "[k", "2", kept));
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "two\r\nlines", kept));
  EXPECT_EQ(Content(kept), "[S]\r\nk=1\r\n");
}

TEST_F(ProfileTest, FailedWriteInReadOnlyFolderLeavesTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  const std::string file = Make("[S]\r\nk=1\r\n");
  ASSERT_EQ(chmod(folder_.path().c_str(), 0500), 0);
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "2", file));
  chmod(folder_.path().c_str(), 0700);
  EXPECT_EQ(Content(file), "[S]\r\nk=1\r\n");
}

constexpr std::string_view kKey = "Software\\Quorvane\\Tavrek";

class RegistryStoreTest : public ::testing::Test {
 protected:
  std::string File() const { return (folder_ / "cfg/registry.reg").string(); }
  std::string Content() const { return ReadWholeFile(File()).bytes; }

  testing::TempFolder folder_;
};

TEST_F(RegistryStoreTest, WritesRegedit4TextWithCrLfAndValuesKeepTheirTypes) {
  RegistryStore store(File());
  ASSERT_TRUE(store.SetString(kKey, "WinRC", "1;2;3;4;1;x,y,w,h,SW"));
  ASSERT_TRUE(store.SetDword(kKey, "Count", 42));
  const uint8_t bytes[] = {0x01, 0xAB};
  ASSERT_TRUE(store.SetBinary("Software\\Other", "", bytes));
  EXPECT_EQ(Content(),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Quorvane\\Tavrek]\r\n"
            "\"WinRC\"=\"1;2;3;4;1;x,y,w,h,SW\"\r\n"
            "\"Count\"=dword:0000002a\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
            "@=hex:01,ab\r\n\r\n");
  // Values keep their types.
  RegistryStore typed(File());
  std::vector<uint8_t> allBytes;
  for (int i = 0; i < 256; ++i) allBytes.push_back(static_cast<uint8_t>(i));
  ASSERT_TRUE(typed.SetBinary(kKey, "bin", allBytes));
  ASSERT_TRUE(typed.SetBinary(kKey, "empty", {}));
  ASSERT_TRUE(typed.SetDword(kKey, "max", 0xFFFFFFFFu));
  ASSERT_TRUE(typed.SetDword(kKey, "zero", 0));
  ASSERT_TRUE(typed.SetString(kKey, "text", "5"));
  EXPECT_EQ(typed.GetBinary(kKey, "bin"), allBytes);
  EXPECT_EQ(typed.GetBinary(kKey, "empty"), std::vector<uint8_t>{});
  EXPECT_EQ(typed.GetDword(kKey, "max"), 0xFFFFFFFFu);
  EXPECT_EQ(typed.GetDword(kKey, "zero"), 0u);
  EXPECT_EQ(typed.GetDword(kKey, "text"), std::nullopt);
  EXPECT_EQ(typed.GetString(kKey, "max"), std::nullopt);
  EXPECT_EQ(typed.GetBinary(kKey, "text"), std::nullopt);
  EXPECT_EQ(typed.GetString(kKey, "missing"), std::nullopt);
  EXPECT_EQ(typed.GetString("Software\\Missing", "text"), std::nullopt);
  const std::string texts[] = {
      "", "plain", "quote \" and back\\slash", "C:\\Pfad\\", "line\r\nbreak\n",
      std::string("nul\0inside", 10), "\xFF\xFE not utf-8", "tab\there", "Größe €", "\"",
      "hex:01,02", "dword:00000001",
  };
  const std::string names[] = {"", "Name \"quoted\"", "back\\slash", "Ümlaut", "@", "a=b"};
  RegistryStore writer(File());
  for (const std::string& name : names) {
    for (const std::string& text : texts) {
      ASSERT_TRUE(writer.SetString(kKey, name, text)) << name;
      // A second store reads the file afresh.
      EXPECT_EQ(RegistryStore(File()).GetString(kKey, name), text) << name << " / " << text;
    }
  }
  EXPECT_TRUE(IsValidUtf8(Content()));
}

TEST_F(RegistryStoreTest, KeysAndNamesIgnoreCaseAndTwoStoresSeeEachOthersWrites) {
  RegistryStore store(File());
  EXPECT_FALSE(store.KeyExists(kKey));
  ASSERT_TRUE(store.SetString(kKey, "WinRC", "first"));
  ASSERT_TRUE(store.SetString("SOFTWARE\\quorvane\\\\TAVREK\\", "winrc", "second"));
  EXPECT_EQ(store.GetString("software\\QUORVANE\\tavrek", "WINRC"), "second");
  EXPECT_EQ(Content(),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quorvane\\Tavrek]\r\n"
            "\"WinRC\"=\"second\"\r\n\r\n");
  EXPECT_TRUE(store.KeyExists("software\\quorvane"));
  EXPECT_FALSE(store.KeyExists("Software\\Quorv"));
  EXPECT_TRUE(store.DeleteValue(kKey, "WINRC"));
  EXPECT_EQ(store.GetString(kKey, "WinRC"), std::nullopt);
  EXPECT_FALSE(store.DeleteValue(kKey, "WinRC"));
  // Each store reads the file afresh: a cache per store would miss the other window's values.
  RegistryStore first(File());
  RegistryStore second(File());
  ASSERT_TRUE(first.SetString(kKey, "a", "from first"));
  ASSERT_TRUE(second.SetString(kKey, "b", "from second"));
  EXPECT_EQ(first.GetString(kKey, "b"), "from second");
  EXPECT_EQ(second.GetString(kKey, "a"), "from first");
}

TEST_F(RegistryStoreTest, BrokenFilesAreReadLenientlyAndKeptOrMovedAsideOnce) {
  const std::string broken =
      "REGEDIT4\n"
      "\"orphan\"=\"before any key\"\n"
      "; kept comment\n"
      "[HKEY_CURRENT_USER\\Software\\Quorvane\\Tavrek]\n"
      "\"good\"=\"value\"\n"
      "\"open\"=\"no closing quote\n"
      "\"num\"=dword:xyz\n"
      "\"big\"=dword:1ffffffff\n"
      "\"bytes\"=hex:01,zz\n"
      "\"wrapped\"=hex:01,02,\\\n"
      "  03\n"
      "\x01\x02\xFF garbage \x80\n"
      "[-HKEY_CURRENT_USER\\Software\\Gone]\n"
      "\"lost\"=\"after a deletion line\"\n"
      "[HKEY_CURRENT_USER\\Software\\Quorvane\\Tavrek\n"
      "\"lostToo\"=\"below a broken key line\"\n"
      "[hkey_current_user\\SOFTWARE\\Quorvane\\Tavrek]\n"
      "\"GOOD\"=dword:00000007";
  folder_.Write("cfg/registry.reg", broken);
  RegistryStore store(File());
  // The last listing of a value counts, as an import applies them in order.
  EXPECT_EQ(store.GetDword(kKey, "good"), 7u);
  EXPECT_EQ(store.GetBinary(kKey, "wrapped"), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(store.GetString(kKey, "open"), std::nullopt);
  EXPECT_EQ(store.GetDword(kKey, "big"), std::nullopt);
  EXPECT_EQ(store.GetString(kKey, "lostToo"), std::nullopt);
  ASSERT_TRUE(store.SetString(kKey, "new", "x"));
  ASSERT_TRUE(store.SetDword(kKey, "good", 8));
  EXPECT_EQ(Content(), broken.substr(0, broken.rfind('\n') + 1) +
                           "\"GOOD\"=dword:00000008\r\n\"new\"=\"x\"\r\n");
  // A comment ending in a backslash does not swallow the next key.
  const std::string commentedText =
      "REGEDIT4\r\n\r\n"
      "; exported from C:\\\r\n"
      "[HKEY_CURRENT_USER\\Software\\Quorvane\\Tavrek\\Options]\r\n"
      "\"Path\"=\"C:\\\\\"\r\n"
      "\"a\"=dword:00000001\r\n\r\n";
  folder_.Write("cfg/registry.reg", commentedText);
  RegistryStore commented(File());
  const std::string options = std::string(kKey) + "\\Options";
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(commented.SetDword(options, "a", 1));
    EXPECT_EQ(Content(), commentedText);
  }
  EXPECT_EQ(commented.GetString(options, "Path"), "C:\\");
  // A file that is no registry text is moved aside once.
  const std::string utf16("\xFF\xFER\0E\0G\0", 8);
  folder_.Write("cfg/registry.reg", utf16);
  RegistryStore moved(File());
  EXPECT_EQ(moved.GetDword(kKey, "a"), std::nullopt);
  EXPECT_NE(moved.FileProblem().find("not REGEDIT4 text"), std::string::npos);
  ASSERT_TRUE(moved.SetDword(kKey, "a", 1));
  EXPECT_EQ(moved.FileProblem(), "");
  EXPECT_EQ(ReadWholeFile(File() + ".bak").bytes, utf16);
  EXPECT_EQ(moved.GetDword(kKey, "a"), 1u);
  // A second such file finds the backup taken: it stays, and so does the file.
  folder_.Write("cfg/registry.reg", "Windows Registry Editor Version 5.00\r\n");
  EXPECT_FALSE(moved.SetDword(kKey, "a", 2));
  EXPECT_EQ(Content(), "Windows Registry Editor Version 5.00\r\n");
  EXPECT_EQ(ReadWholeFile(File() + ".bak").bytes, utf16);
}

TEST_F(RegistryStoreTest, FifoDeviceAndFolderAreAbsentAndNeverWrittenAndUnstorableNamesFail) {
  ASSERT_TRUE(std::filesystem::create_directories(folder_ / "cfg"));
  ASSERT_EQ(mkfifo(File().c_str(), 0600), 0);
  const std::string zero = (folder_ / "zero.reg").string(), inFolder = (folder_ / "dir.reg").string();
  std::filesystem::create_symlink("/dev/zero", zero);
  ASSERT_TRUE(std::filesystem::create_directories(inFolder));
  for (const std::string& file : {File(), zero, inFolder}) {
    RegistryStore store(file);
    EXPECT_EQ(store.GetString(kKey, "a"), std::nullopt) << file;  // returns, does not wait for a writer
    EXPECT_FALSE(store.KeyExists(kKey)) << file;
    EXPECT_FALSE(store.SetDword(kKey, "a", 1)) << file;
    EXPECT_NE(store.FileProblem(), "") << file;
  }
  RegistryStore good((folder_ / "good.reg").string());
  EXPECT_FALSE(good.SetString(kKey, "line\nbreak", "b"));
  EXPECT_FALSE(good.SetString("Software\\Bad\x01", "a", "b"));
  EXPECT_FALSE(good.SetString(kKey, "\xFF", "b"));
}

}  // namespace
}  // namespace tavrek::platform
