// The sample product's main program, LUMIVORA.EXE as the build packs it: the line it
// logs at every start, and what its window says it was given.
#include <gtest/gtest.h>

#include "test_support.h"

using namespace testing_support;

namespace {

struct SampleRun {
  std::string windowText;
  bool ended = false;
};

BOOL CALLBACK FindSampleWindow(HWND window, LPARAM parameter) {
  auto* found = reinterpret_cast<std::pair<DWORD, HWND>*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (process == found->first && std::string(cls) == "LumivoraSample") {
    found->second = window;
    return FALSE;
  }
  return TRUE;
}

// Starts the program, reads the text of its window, closes it.
SampleRun Start(const std::string& commandLine) {
  SampleRun run;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return run;
  std::pair<DWORD, HWND> found(pi.dwProcessId, nullptr);
  for (int i = 0; i < 300 && found.second == nullptr; ++i) {
    Sleep(100);
    EnumWindows(FindSampleWindow, reinterpret_cast<LPARAM>(&found));
  }
  if (found.second != nullptr) {
    // WM_GETTEXT itself: GetWindowText does not ask a window of another process.
    char text[8192] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(GetDlgItem(found.second, 100), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 10000, &length);
    run.windowText = text;
    PostMessageA(found.second, WM_CLOSE, 0, 0);
  }
  run.ended = WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
  if (!run.ended) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return run;
}

}  // namespace

TEST(SampleProgram, LogsEveryStartAndShowsTheHandedOverSettings) {
  ScratchDir scratch("sample-program");
  std::string program;
  ASSERT_TRUE(ReadFileBytes(BuildPath("examples/product/LUMIVORA.EXE"), &program));
  ASSERT_TRUE(WriteFileBytes(scratch / "LUMIVORA.EXE", program));
  const std::string options("\x02\x00sSilent\x00" "1\x00prefLanguage\x00" "71\x00", 28);
  ASSERT_TRUE(WriteFileBytes(scratch / "lmvr.opt", options));

  std::string viewing = "\"" + (scratch / "LUMIVORA.EXE") + "\" C:\\pictures\\eye.gif";
  SampleRun first = Start(viewing);
  EXPECT_TRUE(first.ended);
  EXPECT_NE(first.windowText.find("Arguments: C:\\pictures\\eye.gif"), std::string::npos) << first.windowText;
  EXPECT_NE(first.windowText.find("lmvr.opt holds 2 settings:\r\n  sSilent=1\r\n  prefLanguage=71\r\n"),
            std::string::npos)
      << first.windowText;

  // As the uninstall entry starts it: the path unquoted, then " . -u".
  std::string uninstall = (scratch / "LUMIVORA.EXE") + " . -u";
  SampleRun second = Start(uninstall);
  EXPECT_TRUE(second.ended);
  EXPECT_NE(second.windowText.find("The uninstall was requested."), std::string::npos) << second.windowText;
  EXPECT_EQ(second.windowText.find("lmvr.opt"), std::string::npos) << "nothing else: " << second.windowText;

  std::string log;
  ASSERT_TRUE(ReadFileBytes(scratch / "lmvr-started.log", &log));
  EXPECT_EQ(log, "started: " + viewing + "\r\nstarted: " + uninstall + "\r\n");
}

TEST(SampleProgram, SaysWhenNoSettingsWereHandedOver) {
  ScratchDir scratch("sample-no-options");
  std::string program;
  ASSERT_TRUE(ReadFileBytes(BuildPath("examples/product/LUMIVORA.EXE"), &program));
  ASSERT_TRUE(WriteFileBytes(scratch / "LUMIVORA.EXE", program));
  SampleRun run = Start(scratch / "LUMIVORA.EXE");
  EXPECT_NE(run.windowText.find("Arguments: (none)"), std::string::npos) << run.windowText;
  EXPECT_NE(run.windowText.find("No lmvr.opt beside the program"), std::string::npos) << run.windowText;
  ASSERT_TRUE(WriteFileBytes(scratch / "lmvr.opt", std::string("\x03\x00" "a\x00" "1\x00" "b", 7)));
  run = Start(scratch / "LUMIVORA.EXE");
  EXPECT_NE(run.windowText.find("lmvr.opt holds 3 settings:\r\n  a=1\r\n  (the file ends inside setting 2)"),
            std::string::npos)
      << run.windowText;
}
