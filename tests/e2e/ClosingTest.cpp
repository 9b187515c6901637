// Ways to close the installer, each with real input.
#include <gtest/gtest.h>

#include "tests/e2e/Input.h"
#include "tests/e2e/InstallerFixture.h"

namespace e2e {
namespace {

using ClosingTest = InstallerFixture;

TEST_F(ClosingTest, EscClosesWithExitCodeZero) {
  Activate();
  input::Escape();
  const auto exitCode = Installer().WaitForExit(5000);
  ASSERT_TRUE(exitCode.has_value()) << "the installer still runs 5 s after Esc";
  EXPECT_EQ(*exitCode, 0u);
}

}  // namespace
}  // namespace e2e
