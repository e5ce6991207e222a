#include "fields/text.h"

#include <gtest/gtest.h>

using namespace fields;

TEST(Text, Placeholder) {
  EXPECT_EQ(Ajusta("1", 6), "000001");
}
