// DetectWindows asks GetVersion once per process. Which family each version number
// means is decided in the host WindowsFamily test; e2e installs under win95 and win31.
#include <gtest/gtest.h>

#include "exports/exported_helpers.h"
#include "test_support.h"

using namespace testing_support;

namespace {

int versionCalls = 0;
DWORD WINAPI CountingGetVersion() {
  ++versionCalls;
  return 0xC0000004u;  // Windows 95
}

}  // namespace

TEST(DetectWindows, AsksTheSystemOncePerProcess) {
  ImportPatch patch("kernel32.dll", "GetVersion", reinterpret_cast<void*>(&CountingGetVersion));
  ASSERT_TRUE(patch.ok());
  WindowsFamilyCache = 0xFF;
  versionCalls = 0;
  EXPECT_EQ(DetectWindows(), 1u);
  EXPECT_EQ(DetectWindows(), 1u);
  EXPECT_EQ(versionCalls, 1);
  EXPECT_EQ(WindowsFamilyCache, 1);
}
