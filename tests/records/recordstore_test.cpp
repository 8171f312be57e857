#include "records/recordstore.h"
#include <gtest/gtest.h>
TEST(RecordStore, Placeholder) {}
