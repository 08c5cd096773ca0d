// Start-up arithmetic: the integer reader, the resolution text and the size of the swarm.
#include <gtest/gtest.h>

#include "app/display.h"
#include "core/motion_history.h"

namespace {

TEST(Display, IntegerReader) {
    const struct {
        const char* text;
        int64_t value;
    } cases[] = {
        {"1024", 1024}, {"  \t768", 768}, {"-12", -12}, {"+7", 7}, {"12abc", 12}, {"abc", 0}, {"", 0},
        {"$1F", 31}, {"$ff", 255}, {"%101", 5}, {"%102", 2}, {"-$10", -16}, {"4294967297", 4294967297LL},
        {" 1 2", 1}, {"0x10", 0}, {"$", 0},
        // past 64 bits the value wraps around; the most negative value reads without overflow
        {"-9223372036854775808", INT64_MIN}, {"9223372036854775808", INT64_MIN},
        {"-$8000000000000000", INT64_MIN}, {"18446744073709551617", 1}, {"-18446744073709551615", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadIntegerText(c.text), c.value);
    }
}

TEST(Display, ResolutionText) {
    const struct {
        const char* text;
        int32_t width, height;
    } cases[] = {
        {"1024 x 768", 1024, 768}, {"800x600", 800, 600}, {"  1280   x   1024  ", 1280, 1024},
        {"1280 x", 1280, 0}, {"1280", 1280, 0}, {"", 0, 0}, {"1024 X 768", 1024, 0}, // only a lower-case x splits
        {"$400 x %1100000000", 1024, 768},
        {"-9223372036854775808 x 1", 0, 1}, {"4294967296 x -4294967297", 0, -1}, // the low 32 bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int32_t w = -1, h = -1;
        ParseResolution(c.text, w, h);
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
    }
}

TEST(Display, ObjectTotalAndHistorySize) {
    const struct {
        int32_t objectCount, total;
        size_t historyBytes;
    } cases[] = {
        {0, 128, 6451200}, {1, 256, 12902400}, {2, 512, 25804800}, {3, 1024, 51609600}, {4, 2048, 103219200},
        {-3, 128, 6451200}, {5, 2048, 103219200}, {300, 2048, 103219200}, // a hand-edited file is brought into range
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.objectCount);
        int32_t total = ObjectTotalFor(c.objectCount);
        EXPECT_EQ(total, c.total);
        EXPECT_EQ(sizeof(ObjectState) * static_cast<size_t>(total) * historyRows, c.historyBytes);
    }
}

} // namespace
