// The sample product's main program, LUMIVORA.EXE as the build packs it: the line it
// logs at every normal start, and what its window says it was given. Its uninstall
// starts are the end-to-end tests' (e2e_uninstall.py).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "test_support.h"

using namespace testing_support;

namespace {

struct SampleRun {
  std::string windowText;
  bool ended = false;
};

// Starts the program, reads the text of its window, closes it.
SampleRun Start(const std::string& commandLine) {
  SampleRun run;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return run;
  HWND window = nullptr;  // one start at a time: the window of the class is this one's
  for (int i = 0; i < 300 && window == nullptr; ++i) {
    Sleep(100);
    window = FindWindowA("LumivoraSample", nullptr);
  }
  if (window != nullptr) {
    // The window can be found before its text is in it: ask until the text comes.
    // WM_GETTEXT itself: GetWindowText does not ask a window of another process.
    char text[8192] = {};
    for (int i = 0; i < 100 && text[0] == '\0'; ++i) {
      if (i > 0) Sleep(100);
      DWORD_PTR length = 0;
      SendMessageTimeoutA(GetDlgItem(window, 100), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, 10000, &length);
    }
    run.windowText = text;
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  run.ended = WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
  if (!run.ended) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return run;
}

}  // namespace

TEST(SampleProgram, LogsEveryStartAndShowsWhatItWasGiven) {
  ScratchDir scratch("sample-program");
  std::string program;
  ASSERT_TRUE(ReadFileBytes(BuildPath("examples/product/LUMIVORA.EXE"), &program));
  const std::string exe = scratch / "LUMIVORA.EXE";
  ASSERT_TRUE(WriteFileBytes(exe, program));
  const std::string handedOver("\x02\x00sSilent\x00" "1\x00prefLanguage\x00" "71\x00", 28);
  const struct {
    std::optional<std::string> options;  // lmvr.opt beside the program
    std::string commandLine;
    std::vector<std::string> shown;
    const char* notShown;
  } starts[] = {
      {std::nullopt, exe, {"Arguments: (none)", "No lmvr.opt beside the program"}, nullptr},
      {std::string("\x03\x00" "a\x00" "1\x00" "b", 7), exe,
       {"lmvr.opt holds 3 settings:\r\n  a=1\r\n  (the file ends inside setting 2)"}, nullptr},
      {handedOver, "\"" + exe + "\" C:\\pictures\\eye.gif",
       {"Arguments: C:\\pictures\\eye.gif", "lmvr.opt holds 2 settings:\r\n  sSilent=1\r\n  prefLanguage=71\r\n"},
       nullptr},
  };
  std::string expectedLog;
  for (const auto& start : starts) {
    SCOPED_TRACE(start.commandLine);
    DeleteFileA((scratch / "lmvr.opt").c_str());
    if (start.options) {
      ASSERT_TRUE(WriteFileBytes(scratch / "lmvr.opt", *start.options));
    }
    SampleRun run = Start(start.commandLine);
    EXPECT_TRUE(run.ended);
    for (const std::string& text : start.shown) {
      EXPECT_NE(run.windowText.find(text), std::string::npos) << run.windowText;
    }
    if (start.notShown != nullptr) {
      EXPECT_EQ(run.windowText.find(start.notShown), std::string::npos) << run.windowText;
    }
    expectedLog += "started: " + start.commandLine + "\r\n";
  }
  std::string log;
  ASSERT_TRUE(ReadFileBytes(scratch / "lmvr-started.log", &log));
  EXPECT_EQ(log, expectedLog);
}
