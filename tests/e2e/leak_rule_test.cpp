// The load scenario's rule on series it met: a one-time step passes wherever it falls, a leak
// of 1 KB or of one GDI object per generation fails.
#include "leak_rule.h"

#include <gtest/gtest.h>

#include <vector>

namespace e2e {
namespace {

struct Series {
    const char* name;
    std::vector<double> samples; // every kRoundsPerSample generations
    double allowedPerRound;
    bool leaks;
};

TEST(LeakRule, TellsALeakFromAOneTimeStep) {
    const Series table[] = {
        {"a heap step of 236 KB in the first interval, pages later",
         {12816384, 13058048, 13058048, 13062144, 13062144, 13066240, 13066240, 13066240, 13066240,
          13066240, 13066240},
         kBytesPerRound,
         false},
        {"the file dialog's 1.4 MB in the middle",
         {11440128, 11440128, 11440128, 11440128, 12890112, 12894208, 12894208, 12894208, 12894208,
          12894208, 12894208},
         kBytesPerRound,
         false},
        {"a step in the last interval, a page every other interval before",
         {1000000, 1000000, 1004096, 1004096, 1008192, 1008192, 1012288, 1012288, 1016384, 1016384,
          1300000},
         kBytesPerRound,
         false},
        {"1 KB per generation: 64 KB heap commits after the 1.4 MB step",
         {11468800, 12922880, 12922880, 12922880, 12922880, 12992512, 12992512, 12992512, 13058048,
          13058048, 13058048},
         kBytesPerRound,
         true},
        {"1 KB per generation, committed page by page, with a step at the end",
         {0, 20480, 40960, 61440, 81920, 102400, 122880, 143360, 163840, 184320, 1600000},
         kBytesPerRound,
         true},
        {"the GDI cache filled, wobbling by one or two",
         {329, 328, 328, 328, 330, 331, 330, 330, 330, 330, 331},
         kGdiObjectsPerRound,
         false},
        {"one GDI object per generation",
         {338, 361, 380, 400, 420, 440, 461, 480, 500, 520, 540},
         kGdiObjectsPerRound,
         true},
    };
    for (const auto& series : table) {
        const double perRound = SustainedGrowth(series.samples) / kRoundsPerSample;
        EXPECT_EQ(perRound > series.allowedPerRound, series.leaks)
            << series.name << ": " << perRound << " per round";
    }
}

} // namespace
} // namespace e2e
