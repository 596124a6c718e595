#include <gtest/gtest.h>
namespace parlavox {
namespace {}  // namespace
}  // namespace parlavox
