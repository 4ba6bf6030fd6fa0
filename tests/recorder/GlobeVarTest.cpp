#include "recorder/GlobeVar.h"

#include <gtest/gtest.h>

using namespace GlobeVar;

TEST(FileSizeToStr, UnitBordersAndGrouping) {
    EXPECT_EQ(FileSizeToStr(0), "   0 Bytes");
    EXPECT_EQ(FileSizeToStr(1000), "1,000 Bytes");
    EXPECT_EQ(FileSizeToStr(1024), "1,024 Bytes");
    EXPECT_EQ(FileSizeToStr(1025), "   1 KB");
    EXPECT_EQ(FileSizeToStr(1536), "   1.5 KB");
    EXPECT_EQ(FileSizeToStr(1048576), "1,024 KB");
    EXPECT_EQ(FileSizeToStr(1048577), "   1 MB");
    EXPECT_EQ(FileSizeToStr(1572864), "   1.5 MB");
    EXPECT_EQ(FileSizeToStr(2000000000), "1,907.3 MB");
}
