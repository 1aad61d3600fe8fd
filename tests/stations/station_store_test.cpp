#include <gtest/gtest.h>
#include "stations/station_store.h"
TEST(StationLines, Placeholder) { EXPECT_EQ(zarvio::SplitStationLines("a\r\nb").size(), 2u); }
