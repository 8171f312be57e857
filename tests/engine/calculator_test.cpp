#include "engine/calculator.h"
#include <gtest/gtest.h>
TEST(Calculator, Placeholder) {}
