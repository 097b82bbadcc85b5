#include <gtest/gtest.h>
TEST(Atelier, Placeholder) {}
