#include "base/process_win.h"

#include <gtest/gtest.h>

#include <string>

namespace velto {
namespace {

std::string ReadToEnd(HANDLE pipe) {
  std::string text;
  char chunk[256];
  DWORD got = 0;
  while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
  return text;
}

TEST(ProcessStart, APipedOutputReachesUs) {
  ProcessStart how;
  how.commandLine = L"cmd.exe /c echo hidden";
  how.input = how.error = StreamUse::kNull;
  how.output = StreamUse::kPipe;
  auto started = StartHidden(how);
  ASSERT_TRUE(started);
  EXPECT_FALSE(started->input);
  EXPECT_EQ(ReadToEnd(started->output.Get()), "hidden\r\n");
  EXPECT_EQ(WaitForSingleObject(started->handles.process.Get(), 10000), WAIT_OBJECT_0);
}

TEST(ProcessStart, AMissingProgramIsNoStart) {
  ProcessStart how;
  how.program = L"C:\\no such folder\\no such program.exe";
  how.commandLine = L"\"" + how.program + L"\"";
  how.output = StreamUse::kPipe;
  EXPECT_FALSE(StartHidden(how));
}

TEST(ProcessStart, ClosingTheJobEndsItsProcesses) {
  JobObject job = MakeKillOnCloseJob();
  ASSERT_TRUE(job);
  ProcessStart how;
  how.commandLine = L"cmd.exe /c set /p line=";  // waits for a line on its input
  how.input = how.output = how.error = StreamUse::kPipe;
  how.job = job.Get();
  auto started = StartHidden(how);
  ASSERT_TRUE(started);
  const HANDLE process = started->handles.process.Get();
  ASSERT_EQ(WaitForSingleObject(process, 300), static_cast<DWORD>(WAIT_TIMEOUT));
  job.Reset();
  EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
}

}  // namespace
}  // namespace velto
