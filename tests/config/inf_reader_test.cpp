#include <windows.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <random>
#include <string>

#include "config/inf_ctrl.h"
#include "gtest/gtest.h"
#include "tests/config/inf_test_util.h"
#include "tests/config/temp_folder.h"

using namespace std::string_literals;

namespace {

struct SyntaxCase {
  const char *name;
  std::string input;  // file bytes as stored on disk
  Entries expected;   // everything the object holds afterwards, in key order
};

const std::string kLong1500(1500, 'v');
const std::string kKeyLong1500(1500, 'K');

const SyntaxCase kSyntaxCases[] = {
    {"empty file", "", {}},
    {"comments only", "#first comment\n# second \"quoted\" comment\n#last without line end", {}},
    {"key without value", "Key;", {}},
    {"empty quoted value", "Key = \"\";", {}},
    {"quotes keep spaces", "A = \"x y\";", {{"A", {"x y"}}}},
    {"spaces separate, blank before semicolon", "A = x y ;", {{"A", {"x", "y"}}}},
    {"value right before semicolon is lost", "A = x y;", {{"A", {"x"}}}},
    {"quotes protect spaces only", "A = \"a,b\";", {{"A", {"a", "b"}}}},
    {"statements of one key accumulate", "A = \"1\"; A = \"2\";", {{"A", {"1", "2"}}}},
    {"list in one statement", "A = \"1\", \"2\";", {{"A", {"1", "2"}}}},
    {"unterminated last value is dropped", "A = \"x\";\nB = last", {{"A", {"x"}}}},
    {"closing quote ends the last value", "B = \"last\"", {{"B", {"last"}}}},
    {"1500-byte value keeps 1023 bytes", "A = \"" + kLong1500 + "\";", {{"A", {kLong1500.substr(0, 1023)}}}},
    {"1500-byte key keeps 1023 bytes", kKeyLong1500 + " = v ;", {{kKeyLong1500.substr(0, 1023), {"v"}}}},
    {"number sign in quotes, then semicolon", "A = \"x#y\";", {}},
    {"number sign in quotes, then line end", "A = \"x#y\"\n", {{"A", {"x"}}}},
    {"comment ended by semicolon discards the token", "A = x#c;", {}},
    {"comment after a separator", "A = x #c\n;", {{"A", {"x"}}}},
    {"semicolon ends a comment", "#note; A = \"v\";", {{"A", {"v"}}}},
    {"newline does not end a statement", "A = \"1\"\nB\nC;", {{"A", {"1", "B"}}}},
    {"semicolon inside quotes ends the statement", "A = \"a;b\" \"c\";", {{"b", {"c"}}}},
    {"quoted state carries across statements",
     "A = \"x;\nB = y z, w;",
     {{"B ", {" y z"}}}},
    {"braces, commas and equals only separate", "InstType = { \"Full\", \"Small\" };",
     {{"InstType", {"Full", "Small"}}}},
    {"worked example",
     "#settings of the sample disc\n"
     "AppName = \"Sample Game\";\n"
     "InstType = { \"Full\", \"Small\" };\n"
     "GameDiscID =\n"
     "\t\"GAME1\";\n"
     "InstType = Custom ;\n",
     {{"AppName", {"Sample Game"}}, {"GameDiscID", {"GAME1"}}, {"InstType", {"Full", "Small", "Custom"}}}},
    {"CR LF and TAB layout", "A =\r\n\t\"1\",\r\n\t\"2\";\r\n", {{"A", {"1", "2"}}}},
    {"NUL separates", "A = x\0y ;"s, {{"A", {"x", "y"}}}},
    {"letter case makes different keys", "AppName = \"a\"; appname = \"b\";", {{"AppName", {"a"}}, {"appname", {"b"}}}},
    // ボ is 0x83 0x7B, マ 0x83 0x7D, 表 0x95 0x5C: their second bytes are not braces and no escape.
    {"second bytes 0x7B 0x7D 0x5C stay in the token", "ボ表 = \"マボ表\", マ ;", {{"ボ表", {"マボ表", "マ"}}}},
    {"lead byte boundaries", "A = \x81}\x9f}\xe0}\xfc} ;", {{"A", {"\x81}\x9f}\xe0}\xfc}"}}}},
    {"single-byte kana and 0x80, 0xFD..0xFF are ordinary", "A = ｱ{ｲ \x80{\xfd{\xff ;",
     {{"A", {"ｱ", "ｲ", "\x80", "\xfd", "\xff"}}}},
    {"second byte cut at 1023 bytes is still a second byte",
     "A = \"" + std::string(1022, 'a') + "ボ\";",
     {{"A", {std::string(1022, 'a') + "\x83"}}}},
    {"lead byte inside a comment hides nothing", "#\x83;A = \"v\";", {{"A", {"v"}}}},
};

}  // namespace

class InfSyntax : public testing::TestWithParam<SyntaxCase> {};

TEST_P(InfSyntax, ReadsTheStatementsAsTheRulesSay) {
  const SyntaxCase &c = GetParam();
  const Entries &expected = c.expected;
  TempFolder temp;
  const std::string path = temp.file("case.inf");
  ASSERT_TRUE(writeBytes(path, c.input));
  InfCtrl inf;
  ASSERT_TRUE(inf.open(path.c_str(), MODE_UPDATE));
  expectLookups(inf, expected);
  // Nothing beyond the expected entries: the writer puts out everything the object holds.
  ASSERT_TRUE(inf.close(true));
  EXPECT_EQ(readBytes(path), writerForm(expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, InfSyntax, testing::ValuesIn(kSyntaxCases),
                         [](const testing::TestParamInfo<SyntaxCase> &info) {
                           std::string name;
                           for (const char *p = info.param.name; *p; ++p) name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return name + "_" + std::to_string(info.index);
                         });

TEST(InfText, LiteralsAreCp932) {
  EXPECT_EQ(std::string("ボマ表"), "\x83\x7b\x83\x7d\x95\x5c");
  EXPECT_EQ(std::string("ｱ"), "\xb1");
}

TEST(InfText, CrLfReadsAsLfAndCtrlZEndsTheFile) {
  TempFolder temp;
  const std::string path = temp.file("text.inf");
  // A lead byte takes the next byte whatever it is, so the value shows whether CR LF arrived as one LF.
  ASSERT_TRUE(writeBytes(path, "A = \x83\r\n\"b\";\r\nB = \"before\";\x1a C = \"after\";\r\n"));
  InfCtrl inf;
  ASSERT_TRUE(inf.open(path.c_str(), MODE_READ));
  ASSERT_EQ(inf.count("A"), 2);
  EXPECT_EQ(inf.get("A", 0), "\x83\n");
  EXPECT_EQ(inf.get("A", 1), "b");
  EXPECT_EQ(inf.get("B", 0), "before");
  EXPECT_EQ(inf.count("C"), 0);
}

TEST(InfText, LoneCrIsKeptAndSeparates) {
  TempFolder temp;
  const std::string path = temp.file("cr.inf");
  ASSERT_TRUE(writeBytes(path, "A = x\ry\r\x83\r;"));
  InfCtrl inf;
  ASSERT_TRUE(inf.open(path.c_str(), MODE_READ));
  ASSERT_EQ(inf.count("A"), 2);
  EXPECT_EQ(inf.get("A", 0), "x");
  EXPECT_EQ(inf.get("A", 1), "y");
}

class InfLookups : public testing::Test {
 protected:
  void SetUp() override {
    const std::string path = temp.file("lookups.inf");
    ASSERT_TRUE(writeBytes(path, "L = a b c ;\nN = \"0\", \"abc\", \"12ab\", \" -42\", \"+7\", \"99999999999\", \"-99999999999\";"));
    ASSERT_TRUE(inf.open(path.c_str(), MODE_READ));
  }
  TempFolder temp;
  InfCtrl inf;
};

TEST_F(InfLookups, IndexesWithinAKey) {
  EXPECT_EQ(inf.count("L"), 3);
  EXPECT_EQ(inf.get("L", 0), "a");
  EXPECT_EQ(inf.get("L", 1), "b");
  EXPECT_EQ(inf.get("L", 2), "c");
  EXPECT_EQ(inf.get("L", 3), "");
  EXPECT_EQ(inf.get("L", -1), "a");
  EXPECT_EQ(inf.get("L", INT_MIN), "a");
  EXPECT_EQ(inf.get("L", INT_MAX), "");
  std::string out = "old";
  EXPECT_TRUE(inf.getString("L", 2, out));
  EXPECT_EQ(out, "c");
  EXPECT_FALSE(inf.getString("L", 3, out));
  EXPECT_EQ(out, "");
}

TEST_F(InfLookups, AbsentKeyReadsAsNothing) {
  for (const char *key : {"X", "l", "L ", "", "LL"}) {
    EXPECT_EQ(inf.count(key), 0) << key;
    EXPECT_EQ(inf.get(key, 0), "") << key;
    std::string out = "old";
    EXPECT_FALSE(inf.getString(key, 0, out)) << key;
    EXPECT_EQ(out, "") << key;
    int number = 99;
    EXPECT_FALSE(inf.getInt(key, 0, number)) << key;
    EXPECT_EQ(number, 0) << key;
  }
  EXPECT_EQ(inf.count(nullptr), 0);
  EXPECT_EQ(inf.get(nullptr, 0), "");
}

TEST_F(InfLookups, GetIntConvertsLeadingDecimalDigits) {
  const struct {
    int index;
    int number;
  } cases[] = {{0, 0}, {1, 0}, {2, 12}, {3, -42}, {4, 7}, {5, INT_MAX}, {6, INT_MIN}};
  for (const auto &c : cases) {
    int number = 99;
    EXPECT_TRUE(inf.getInt("N", c.index, number)) << c.index;
    EXPECT_EQ(number, c.number) << c.index;
  }
  int number = 99;
  EXPECT_FALSE(inf.getInt("N", 7, number));
  EXPECT_EQ(number, 0);
}

TEST_F(InfLookups, MissingValuesShareOneEmptyStringAndPresentOnesStayPut) {
  InfCtrl other;
  EXPECT_EQ(&inf.get("X", 0), &other.get("Y", 5));
  EXPECT_EQ(&inf.get("L", 9), &inf.get("X", 0));
  const std::string *b = &inf.get("L", 1);
  // Reading more entries into the object must not move a value handed out.
  ASSERT_TRUE(inf.open(temp.file("lookups.inf").c_str(), MODE_READ));
  EXPECT_EQ(&inf.get("L", 1), b);
  EXPECT_EQ(inf.count("L"), 6);
  EXPECT_EQ(inf.get("L", 3), "a");
}

TEST(InfAdd, OnlyWriteAndUpdateModesAdd) {
  TempFolder temp;
  const std::string path = temp.file("add.inf");
  ASSERT_TRUE(writeBytes(path, "K = \"v\";"));
  InfCtrl fresh;
  EXPECT_FALSE(fresh.add("K", "x"));  // mode 0 before any open
  EXPECT_EQ(fresh.count("K"), 0);

  InfCtrl reader;
  ASSERT_TRUE(reader.open(path.c_str(), MODE_READ));
  EXPECT_FALSE(reader.add("K", "x"));
  EXPECT_EQ(reader.count("K"), 1);

  InfCtrl updater;
  ASSERT_TRUE(updater.open(path.c_str(), MODE_UPDATE));
  EXPECT_TRUE(updater.add("K", "w"));
  EXPECT_TRUE(updater.add("K", ""));
  EXPECT_EQ(updater.count("K"), 3);
  EXPECT_EQ(updater.get("K", 0), "v");
  EXPECT_EQ(updater.get("K", 1), "w");
  std::string out;
  EXPECT_FALSE(updater.getString("K", 2, out));  // an empty value counts but reads as false
  int number = 5;
  EXPECT_FALSE(updater.getInt("K", 2, number));
  EXPECT_EQ(number, 0);
  // After close, add still works in update mode; only a later save would write it.
  ASSERT_TRUE(updater.close(false));
  EXPECT_TRUE(updater.add("K", "z"));
  EXPECT_EQ(updater.count("K"), 4);
  EXPECT_EQ(readBytes(path), "K = \"v\";");
}

TEST(InfOpen, ModesAndFailures) {
  TempFolder temp;
  const std::string missing = temp.file("missing.inf");
  for (int mode : {MODE_READ, MODE_UPDATE}) {
    InfCtrl inf;
    EXPECT_FALSE(inf.open(missing.c_str(), mode)) << mode;
    EXPECT_EQ(inf.count("A"), 0);
    EXPECT_EQ(inf.get("A", 0), "");
    EXPECT_FALSE(inf.close(true)) << mode;  // never opened: nothing is written
    EXPECT_FALSE(fileExists(missing)) << mode;
  }
  for (int mode : {static_cast<int>(MODE_WRITE), 0, 7, -1}) {
    InfCtrl inf;
    EXPECT_TRUE(inf.open(missing.c_str(), mode)) << mode;  // no file is touched
    EXPECT_FALSE(fileExists(missing)) << mode;
  }
  InfCtrl folder;
  EXPECT_FALSE(folder.open(temp.path().c_str(), MODE_READ));
  InfCtrl none;
  EXPECT_FALSE(none.open(nullptr, MODE_READ));
}

TEST(InfOpen, SecondOpenAddsToTheFirst) {
  TempFolder temp;
  ASSERT_TRUE(writeBytes(temp.file("1.inf"), "A = \"1\"; B = \"b\";"));
  ASSERT_TRUE(writeBytes(temp.file("2.inf"), "A = \"2\";"));
  InfCtrl inf;
  ASSERT_TRUE(inf.open(temp.file("1.inf").c_str(), MODE_READ));
  ASSERT_TRUE(inf.close(false));
  EXPECT_EQ(inf.get("A", 0), "1");  // entries survive close
  ASSERT_TRUE(inf.open(temp.file("2.inf").c_str(), MODE_READ));
  expectLookups(inf, {{"A", {"1", "2"}}, {"B", {"b"}}});
}

TEST(InfOpen, OverlongPathIsRefusedAndNeverSaved) {
  TempFolder temp;
  // 259 bytes fit.
  std::string fits = temp.path() + std::string(259 - temp.path().size(), 'f');
  ASSERT_EQ(fits.size(), 259u);
  InfCtrl ok;
  EXPECT_TRUE(ok.open(fits.c_str(), MODE_WRITE));
  EXPECT_TRUE(ok.close(true));
  EXPECT_TRUE(fileExists(fits));
  const std::string tooLong = fits + "g";
  InfCtrl inf;
  EXPECT_FALSE(inf.open(tooLong.c_str(), MODE_WRITE));
  EXPECT_TRUE(inf.add("K", "v"));
  EXPECT_FALSE(inf.close(true));
}

TEST(InfRobustness, RandomBytesNeverBreakTheReader) {
  std::mt19937 random(20240611);
  const char syntax[] = "\t\n\r\" ,={}#;\x83\x81\x9f\xe0\xfc\x1a\0aZ";
  TempFolder temp;
  const std::string path = temp.file("random.inf");
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 3000, '\0');
    for (char &b : bytes) {
      b = random() % 2 ? static_cast<char>(random() % 256) : syntax[random() % (sizeof syntax - 1)];
    }
    ASSERT_TRUE(writeBytes(path, bytes));
    InfCtrl inf;
    ASSERT_TRUE(inf.open(path.c_str(), MODE_UPDATE)) << round;
    EXPECT_EQ(inf.count(""), 0);  // empty tokens never become keys
    ASSERT_TRUE(inf.close(true));
    // Whatever was kept, written out and read again, is still a readable file.
    InfCtrl again;
    ASSERT_TRUE(again.open(path.c_str(), MODE_READ)) << round;
    EXPECT_EQ(again.count(""), 0);
  }
}

TEST(InfRobustness, TenMegabyteFileReads) {
  TempFolder temp;
  const std::string path = temp.file("big.inf");
  std::string text;
  text.reserve(10u << 20);
  int statements = 0;
  char line[128];
  while (text.size() < (10u << 20)) {
    std::snprintf(line, sizeof line, "Key%04d = \"value %07d\", ボマ表 ;\r\n", statements % 1000, statements);
    text += line;
    ++statements;
  }
  ASSERT_TRUE(writeBytes(path, text));
  InfCtrl inf;
  ASSERT_TRUE(inf.open(path.c_str(), MODE_READ));
  EXPECT_EQ(inf.count("Key0000"), (statements + 999) / 1000 * 2);
  EXPECT_EQ(inf.get("Key0000", 0), "value 0000000");
  EXPECT_EQ(inf.get("Key0000", 1), "ボマ表");
  char last[32];
  std::snprintf(last, sizeof last, "value %07d", statements - 1);
  char lastKey[16];
  std::snprintf(lastKey, sizeof lastKey, "Key%04d", (statements - 1) % 1000);
  EXPECT_EQ(inf.get(lastKey, inf.count(lastKey) - 2), last);
}
