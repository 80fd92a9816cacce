// get remembers where the previous call ended, so that walking a key's values in order is linear.
// Whatever the order of the calls, every answer must be the one a walk from the first value gives.
#include "config/inf_ctrl.h"
#include "gtest/gtest.h"

#include <string>
#include <vector>

namespace {

InfCtrl withValues(const char *key, const std::vector<std::string> &values) {
  InfCtrl inf;
  inf.open("", MODE_WRITE);
  for (const std::string &value : values) inf.add(key, value);
  return inf;
}

TEST(InfSequentialGet, AnyOrderOfCallsGivesTheValueAtTheIndex) {
  InfCtrl inf = withValues("K", {"a", "b", "c", "d"});
  inf.add("J", "j0");
  inf.add("L", "l0");
  // (key, index, expected) in the order asked: forwards, backwards, jumps, other keys in between.
  const struct {
    const char *key;
    int index;
    const char *expected;
  } calls[] = {{"K", 0, "a"}, {"K", 1, "b"}, {"K", 3, "d"}, {"K", 2, "c"}, {"K", 4, ""},  {"K", 3, "d"},
               {"J", 0, "j0"}, {"K", 1, "b"}, {"L", 1, ""},  {"K", -1, "a"}, {"K", 2, "c"}, {"k", 2, ""},
               {"K", 0, "a"}, {"L", 0, "l0"}, {"K", 3, "d"}};
  for (const auto &call : calls) {
    EXPECT_EQ(inf.get(call.key, call.index), call.expected) << call.key << " " << call.index;
  }
}

TEST(InfSequentialGet, ValuesAddedDuringAWalkAreFound) {
  InfCtrl inf = withValues("K", {"a", "b"});
  EXPECT_EQ(inf.get("K", 1), "b");
  EXPECT_EQ(inf.get("K", 2), "");
  inf.add("K", "c");
  inf.add("A", "before");  // a key sorting before K
  EXPECT_EQ(inf.get("K", 2), "c");
  EXPECT_EQ(inf.get("K", 1), "b");
  EXPECT_EQ(inf.get("A", 0), "before");
}

TEST(InfSequentialGet, ACopyAnswersFromItsOwnEntries) {
  InfCtrl original = withValues("K", {"a", "b", "c"});
  EXPECT_EQ(original.get("K", 1), "b");
  InfCtrl copy = original;
  copy.add("K", "d");
  EXPECT_EQ(copy.get("K", 2), "c");
  EXPECT_EQ(copy.get("K", 3), "d");
  EXPECT_EQ(original.get("K", 2), "c");
  EXPECT_EQ(original.get("K", 3), "");
  // Destroying the original leaves the copy's answers intact.
  {
    InfCtrl scratch = withValues("K", {"x"});
    EXPECT_EQ(scratch.get("K", 0), "x");
    copy = scratch;
  }
  EXPECT_EQ(copy.get("K", 0), "x");
  EXPECT_EQ(copy.get("K", 1), "");
  // Copied there and back: each object answers from the entries it holds now.
  InfCtrl other = withValues("K", {"p", "q"});
  EXPECT_EQ(other.get("K", 1), "q");
  copy = other;
  other = copy;
  other.add("K", "r");
  EXPECT_EQ(other.get("K", 1), "q");
  EXPECT_EQ(other.get("K", 2), "r");
  EXPECT_EQ(copy.get("K", 2), "");
}

TEST(InfSequentialGet, EveryValueOfALongKeyInOrder) {
  std::vector<std::string> values;
  for (int i = 0; i < 5000; ++i) values.push_back("v" + std::to_string(i));
  InfCtrl inf = withValues("Full", values);
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(inf.get("Full", i), values[i]) << i;
  EXPECT_EQ(inf.get("Full", 5000), "");
}

}  // namespace
