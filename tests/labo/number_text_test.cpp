// The portable number writer must give the standard library's text byte for
// byte: the browser's build writes records with it, and they must match the
// desktop's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "number_text.h"

namespace {

double from_bits(uint64_t bits)
{
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

TEST(NumberText, PortableWriterMatchesToCharsOnRunValuesAndRandomBits)
{
    std::mt19937_64 random(20261209);
    std::uniform_real_distribution<double> run_value(-120.0, 120.0);
    std::uniform_int_distribution<int> decade(-12, 20);
    for (int i = 0; i < 50000; ++i) {
        // Values as runs produce them, at every scale, and arbitrary doubles.
        const double scaled = run_value(random) * std::pow(10.0, decade(random));
        const double raw = from_bits(random());
        for (double value : {scaled, raw, std::round(scaled), 0.05 * (i % 4000)}) {
            if (!std::isfinite(value)) continue;
            ASSERT_EQ(portable_shortest_text(value, false), shortest_text(value)) << value;
            ASSERT_EQ(portable_shortest_text(value, true), shortest_fixed_text(value)) << value;
        }
    }
    for (double value : {0.0, -0.0, 1e-320, 5e-324, 1.7976931348623157e308, 100.0, 1e21, 1e22})
        EXPECT_EQ(portable_shortest_text(value, false), shortest_text(value)) << value;
}

TEST(NumberText, ReadDecimalTakesWholeNumbersOnlyAndRefusesOverflow)
{
    double value = 0.0;
    EXPECT_TRUE(read_decimal("-1.5e-3", &value));
    EXPECT_EQ(value, -1.5e-3);
    EXPECT_FALSE(read_decimal("1.5x", &value));
    EXPECT_FALSE(read_decimal("1e400", &value));
    EXPECT_FALSE(read_decimal("", &value));
}
