#include <gtest/gtest.h>

#include "fields/text.h"

using namespace fields;

TEST(Text, Placeholder) { EXPECT_EQ(Ajusta("1", 6), "000001"); }
