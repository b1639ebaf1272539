// Telling a leak from a one-time step in a counter read at even intervals of a long run: a leak
// grows on and on, a heap or a cache that fills once steps up once. Plain arithmetic, so that
// the rule is tested by itself.
#pragma once

#include <cstddef>
#include <span>

namespace e2e {

// The slope of the least-squares straight line through `samples` taken at x = 0, 1, 2, ...
inline double Slope(std::span<const double> samples) {
    const double count = static_cast<double>(samples.size());
    const double meanX = (count - 1) / 2;
    double meanY = 0;
    for (const double y : samples) {
        meanY += y / count;
    }
    double sumXY = 0;
    double sumXX = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const double dx = static_cast<double>(i) - meanX;
        sumXY += dx * (samples[i] - meanY);
        sumXX += dx * dx;
    }
    return sumXX > 0 ? sumXY / sumXX : 0;
}

// Where the largest rise between neighbouring samples ends: the index of the sample after it.
// `samples` holds two or more.
inline size_t LargestStepEnd(std::span<const double> samples) {
    size_t end = 1;
    for (size_t i = 2; i < samples.size(); ++i) {
        if (samples[i] - samples[i - 1] > samples[end] - samples[end - 1]) {
            end = i;
        }
    }
    return end;
}

// How fast the counter went on growing, per interval: the slope of the samples on the longer
// side of their largest step (after it when both sides are as long). The step itself, wherever
// it falls, is left out; a leak shows on either side of it.
inline double SustainedGrowth(std::span<const double> samples) {
    if (samples.size() < 2) {
        return 0;
    }
    const size_t end = LargestStepEnd(samples);
    const auto before = samples.first(end);
    const auto after = samples.subspan(end);
    return Slope(after.size() >= before.size() ? after : before);
}

// The load scenario reads its counters every kRoundsPerSample generations and lets them go on
// growing by half of what a leak of 1 KB or of one GDI object per generation adds. Under Wine
// the private bytes grow by 64 KB heap commits; without a leak they stay flat after the file
// dialog's one-off allocation but for a page (4 KB) now and then. The GDI objects wobble by one
// or two.
inline constexpr int kRoundsPerSample = 20;
inline constexpr double kBytesPerRound = 512;
inline constexpr double kGdiObjectsPerRound = 0.5;

} // namespace e2e
