// Hostile sizes, one table: each input is handled without a crash, with peak memory
// under a small multiple of the input and time that grows linearly with it (a
// quarter of the input against the whole, with a generous factor). The exact
// figures are printed by bench_hostile.
#include "HostileCases.h"

#include <gtest/gtest.h>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // shadow memory and slow code: only "no crash" is checked
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

class HostileSize : public ::testing::TestWithParam<size_t> {};

TEST_P(HostileSize, BoundedMemoryAndLinearTime) {
    const HostileCase& c = HostileCases()[GetParam()];
    const double full = kSanitized ? 0.125 : 1.0;
    HostileResult small = RunHostileCase(GetParam(), full / 4);
    ASSERT_TRUE(small.ok) << c.name << ": " << small.failure;
    HostileResult big = RunHostileCase(GetParam(), full);
    ASSERT_TRUE(big.ok) << c.name << ": " << big.failure;
    std::printf("%-16s input %7.1f MB  peak +%7.1f MB  %6.3f s (a quarter: %6.3f s)\n", c.name, big.inputMB, big.peakMB,
                big.seconds, small.seconds);
    if (kSanitized) return;
    EXPECT_LE(big.peakMB, c.memoryFactor * big.inputMB + 32) << c.name;
    EXPECT_LE(big.seconds, 12 * small.seconds + 0.25) << c.name << ": time grows faster than the input";
}

INSTANTIATE_TEST_SUITE_P(Table, HostileSize, ::testing::Range<size_t>(0, HostileCases().size()),
                         [](const ::testing::TestParamInfo<size_t>& i) {
                             std::string n = HostileCases()[i.param].name;
                             for (char& ch : n)
                                 if (ch == '-') ch = '_';
                             return n;
                         });

}  // namespace
