#include <windows.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "config/inf_ctrl.h"
#include "gtest/gtest.h"
#include "tests/config/inf_test_util.h"
#include "tests/config/temp_folder.h"

TEST(InfWriter, ExactBytesOfASmallFile) {
  TempFolder temp;
  const std::string path = temp.file("uninst.inf");
  InfCtrl inf;
  ASSERT_TRUE(inf.open(path.c_str(), MODE_WRITE));
  inf.comment = "このファイルを編集しないでください";
  ASSERT_TRUE(inf.add("DelFile", "C:\\Game\\a.dat"));
  ASSERT_TRUE(inf.add("AppName", "Sample Game"));
  ASSERT_TRUE(inf.add("DelFile", "C:\\Game\\b.dat"));
  ASSERT_TRUE(inf.close(true));
  EXPECT_EQ(readBytes(path),
            "#このファイルを編集しないでください\r\n"
            "AppName =\r\n"
            "\t\"Sample Game\";\r\n"
            "DelFile =\r\n"
            "\t\"C:\\Game\\a.dat\",\r\n"
            "\t\"C:\\Game\\b.dat\";");
  EXPECT_FALSE(inf.close(true));  // closed now: a second close writes nothing
}

TEST(InfWriter, SmallestForms) {
  TempFolder temp;
  InfCtrl empty;
  ASSERT_TRUE(empty.open(temp.file("empty.inf").c_str(), MODE_WRITE));
  ASSERT_TRUE(empty.close(true));
  EXPECT_TRUE(fileExists(temp.file("empty.inf")));
  EXPECT_EQ(readBytes(temp.file("empty.inf")), "");

  InfCtrl commentOnly;
  ASSERT_TRUE(commentOnly.open(temp.file("comment.inf").c_str(), MODE_WRITE));
  commentOnly.comment = "note";
  ASSERT_TRUE(commentOnly.close(true));
  EXPECT_EQ(readBytes(temp.file("comment.inf")), "#note\r\n");

  InfCtrl one;
  ASSERT_TRUE(one.open(temp.file("one.inf").c_str(), MODE_WRITE));
  ASSERT_TRUE(one.add("Key", "value"));
  ASSERT_TRUE(one.close(true));
  EXPECT_EQ(readBytes(temp.file("one.inf")), "Key =\r\n\t\"value\";");
}

TEST(InfWriter, KeysInUnsignedByteOrder) {
  TempFolder temp;
  const std::string path = temp.file("order.inf");
  InfCtrl inf;
  ASSERT_TRUE(inf.open(path.c_str(), MODE_WRITE));
  for (const char *key : {"熙", "表示", "programs", "ProgramIcon", "ｱ", "ProgramGroup_Existed", "Zeta", "ProgramGroup"}) {
    ASSERT_TRUE(inf.add(key, "v"));
  }
  ASSERT_TRUE(inf.close(true));
  // ASCII capitals, small letters, then lead bytes below the single-byte kana (0x95 < 0xB1 < 0xEA).
  EXPECT_EQ(readBytes(path), writerForm({{"ProgramGroup", {"v"}},
                                         {"ProgramGroup_Existed", {"v"}},
                                         {"ProgramIcon", {"v"}},
                                         {"Zeta", {"v"}},
                                         {"programs", {"v"}},
                                         {"表示", {"v"}},
                                         {"ｱ", {"v"}},
                                         {"熙", {"v"}}}));
}

TEST(InfWriter, WhenNothingIsWritten) {
  TempFolder temp;
  const std::string path = temp.file("keep.inf");
  ASSERT_TRUE(writeBytes(path, "A = \"1\";"));

  InfCtrl reader;
  ASSERT_TRUE(reader.open(path.c_str(), MODE_READ));
  EXPECT_TRUE(reader.close(true));  // read mode: true, file untouched
  EXPECT_EQ(readBytes(path), "A = \"1\";");

  InfCtrl unsaved;
  ASSERT_TRUE(unsaved.open(path.c_str(), MODE_UPDATE));
  ASSERT_TRUE(unsaved.add("B", "2"));
  EXPECT_TRUE(unsaved.close(false));
  EXPECT_FALSE(unsaved.close(true));  // already closed
  EXPECT_EQ(readBytes(path), "A = \"1\";");

  InfCtrl never;
  EXPECT_FALSE(never.close(true));

  InfCtrl noPath;
  ASSERT_TRUE(noPath.open("", MODE_WRITE));
  ASSERT_TRUE(noPath.add("A", "1"));
  EXPECT_FALSE(noPath.close(true));
}

TEST(InfWriter, UpdateRewritesInWriterForm) {
  TempFolder temp;
  const std::string path = temp.file("update.inf");
  ASSERT_TRUE(writeBytes(path, "# old comment\nB = x y ;  A = { \"1\" } ;\n# trailing\n"));
  InfCtrl inf;
  ASSERT_TRUE(inf.open(path.c_str(), MODE_UPDATE));
  ASSERT_TRUE(inf.close(true));
  EXPECT_EQ(readBytes(path), writerForm({{"A", {"1"}}, {"B", {"x", "y"}}}));
}

TEST(InfWriter, FailedSaveStaysOpenForAnotherTry) {
  TempFolder temp;
  const std::string folder = temp.file("later");
  const std::string path = folder + "\\uninst.inf";
  InfCtrl inf;
  ASSERT_TRUE(inf.open(path.c_str(), MODE_WRITE));
  ASSERT_TRUE(inf.add("A", "1"));
  EXPECT_FALSE(inf.close(true));  // folder missing
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_TRUE(inf.close(true));
  EXPECT_EQ(readBytes(path), "A =\r\n\t\"1\";");
  DeleteFileA(path.c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST(InfWriter, EntriesWithoutKeyAreLeftOutSoTheRestReadsBack) {
  TempFolder temp;
  const std::string path = temp.file("nokey.inf");
  InfCtrl inf;
  ASSERT_TRUE(inf.open(path.c_str(), MODE_WRITE));
  ASSERT_TRUE(inf.add("", "orphan"));
  ASSERT_TRUE(inf.add("A", "1"));
  ASSERT_TRUE(inf.close(true));
  InfCtrl back;
  ASSERT_TRUE(back.open(path.c_str(), MODE_READ));
  expectLookups(back, {{"A", {"1"}}});
  EXPECT_EQ(back.count("orphan"), 0);
}

namespace {

// Random texts obeying the reader's rules, with cp932 characters whose second bytes look like
// backslash and braces.
class TextMaker {
 public:
  explicit TextMaker(unsigned seed) : random(seed) {}
  virtual ~TextMaker() = default;

  std::string key() { return text(false); }
  std::string value() { return text(true); }

 private:
  std::string text(bool isValue) {
    static const char *const kDoubles[] = {"表", "ボ", "マ", "ソ", "能", "\x81\x7b", "\x9f\x7d", "\xe0\x5c", "\xfc\x7b"};
    static const char kKeyBytes[] = "abcXYZ09_-.:\\/!$%&'()*+<>?@[]^`|~\x80\xa0\xb1\xdf\xfd\xfe\xff";
    static const char kValueExtra[] = " ";
    // Mostly short texts; now and then one right at the 1023-byte limit.
    const size_t limit = random() % 50 == 0 ? 1023 : 1 + random() % 24;
    std::string s;
    while (s.size() < limit) {
      const unsigned pick = random() % 10;
      if (pick < 3 && s.size() + 2 <= limit) {
        s += kDoubles[random() % (sizeof kDoubles / sizeof *kDoubles)];
      } else if (pick == 3 && isValue) {
        s += kValueExtra;
      } else {
        s += kKeyBytes[random() % (sizeof kKeyBytes - 1)];
      }
      if (limit < 1023 && random() % 6 == 0) break;
    }
    return s;
  }

  std::mt19937 random;
};

}  // namespace

TEST(InfWriter, RoundTripKeepsKeysValuesAndOrder) {
  TempFolder temp;
  const std::string path = temp.file("roundtrip.inf");
  for (unsigned seed = 1; seed <= 300; ++seed) {
    TextMaker make(seed);
    std::mt19937 random(seed * 7919u);
    std::vector<std::string> keys(1 + random() % 8);
    for (auto &k : keys) k = make.key();
    // std::string's own order (char_traits<char> compares bytes as unsigned) is the independent oracle.
    std::map<std::string, std::vector<std::string>> model;
    InfCtrl inf;
    ASSERT_TRUE(inf.open(path.c_str(), MODE_WRITE));
    inf.comment = seed % 2 ? "編集しないで \"ください\"" : "";
    const int adds = 1 + random() % 20;
    for (int i = 0; i < adds; ++i) {
      const std::string &key = keys[random() % keys.size()];
      const std::string value = make.value();
      ASSERT_TRUE(inf.add(key.c_str(), value));
      model[key].push_back(value);
    }
    ASSERT_TRUE(inf.close(true));
    const Entries expected(model.begin(), model.end());
    const std::string written = readBytes(path);
    ASSERT_EQ(written, writerForm(expected, inf.comment)) << "seed " << seed;

    InfCtrl back;
    ASSERT_TRUE(back.open(path.c_str(), MODE_UPDATE)) << "seed " << seed;
    expectLookups(back, expected);
    if (HasFailure()) FAIL() << "seed " << seed;
    back.comment = inf.comment;
    ASSERT_TRUE(back.close(true));
    EXPECT_EQ(readBytes(path), written) << "seed " << seed;  // nothing more, nothing less was read back
  }
}
