#include "host/ttext.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host/dataset.h"

namespace {

using host::TText;

// Lengths around the in-place limit, and text with bytes that are not ASCII
// or are zero: each survives construction, copy, move and assignment whole.
TEST(TText, KeepsEveryTextWholeAcrossCopiesAndMoves) {
  const std::vector<std::string> texts = {"",
                                          "1",
                                          std::string(14, 'a'),
                                          std::string(15, 'b'),
                                          std::string(16, 'c'),
                                          std::string("S\xE3o Paulo \0 x", 13),
                                          std::string(500, '\xE7')};
  for (const auto& s : texts) {
    TText t(s);
    EXPECT_EQ(t.view(), s) << s.size();
    EXPECT_EQ(t.size(), s.size());
    TText copy(t);
    TText moved(std::move(t));
    EXPECT_EQ(copy.view(), s);
    EXPECT_EQ(moved.view(), s);
    EXPECT_TRUE(t.empty());  // a moved-from text is empty, not dangling
    for (const auto& other : texts) {
      TText a(other);
      a = copy;
      EXPECT_EQ(a.view(), s);
      TText b(other);
      b = std::move(a);
      EXPECT_EQ(b.view(), s);
    }
    // Assigned itself through another name, as a container's shuffle may do.
    const TText& mesmo = copy;
    copy = mesmo;
    EXPECT_EQ(copy.view(), s);
  }
}

TEST(TText, ValuesCompareAndOrderByTheirText) {
  EXPECT_EQ(host::Value(std::string("abc")), host::Value("abc"));
  EXPECT_NE(host::Value(std::string(20, 'x')), host::Value(std::string(21, 'x')));
  EXPECT_LT(TText("abc"), TText(std::string(30, 'b')));
  EXPECT_LE(sizeof(host::Value), 24u);
}

}  // namespace
