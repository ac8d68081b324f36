#include "core/platform/registry_store.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "core/platform/cp1252.h"
#include "core/platform/file_io.h"
#include "support/temp_folder.h"

namespace tavrek::platform {
namespace {

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
}

TEST_F(RegistryStoreTest, AwkwardStringsAndNamesRoundTrip) {
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

TEST_F(RegistryStoreTest, BrokenFileIsReadLenientlyAndKeptByteForByte) {
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
}

TEST_F(RegistryStoreTest, CommentEndingInBackslashDoesNotSwallowTheNextKey) {
  const std::string text =
      "REGEDIT4\r\n\r\n"
      "; exported from C:\\\r\n"
      "[HKEY_CURRENT_USER\\Software\\Quorvane\\Tavrek\\Options]\r\n"
      "\"Path\"=\"C:\\\\\"\r\n"
      "\"a\"=dword:00000001\r\n\r\n";
  folder_.Write("cfg/registry.reg", text);
  RegistryStore store(File());
  const std::string options = std::string(kKey) + "\\Options";
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(store.SetDword(options, "a", 1));
    EXPECT_EQ(Content(), text);
  }
  EXPECT_EQ(store.GetString(options, "Path"), "C:\\");
}

TEST_F(RegistryStoreTest, FileThatIsNoRegistryTextIsMovedAsideOnce) {
  const std::string utf16("\xFF\xFER\0E\0G\0", 8);
  folder_.Write("cfg/registry.reg", utf16);
  RegistryStore store(File());
  EXPECT_EQ(store.GetDword(kKey, "a"), std::nullopt);
  EXPECT_NE(store.FileProblem().find("not REGEDIT4 text"), std::string::npos);
  ASSERT_TRUE(store.SetDword(kKey, "a", 1));
  EXPECT_EQ(store.FileProblem(), "");
  EXPECT_EQ(ReadWholeFile(File() + ".bak").bytes, utf16);
  EXPECT_EQ(store.GetDword(kKey, "a"), 1u);
  // A second such file finds the backup taken: it stays, and so does the file.
  folder_.Write("cfg/registry.reg", "Windows Registry Editor Version 5.00\r\n");
  EXPECT_FALSE(store.SetDword(kKey, "a", 2));
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
