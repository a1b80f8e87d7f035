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

TEST(ProcessStart, OnlyItsOwnStreamsAreHandedDown) {
  // An inheritable pipe of another start in flight: its writing end must
  // not live on in this program, or the reader would never see its end.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  ASSERT_TRUE(CreatePipe(&read, &write, &inherit, 0));
  UniqueHandle otherRead(read), otherWrite(write);
  ProcessStart how;
  how.commandLine = L"cmd.exe /c set /p line=";  // waits for a line on its input
  how.input = how.output = StreamUse::kPipe;
  auto started = StartHidden(how);
  ASSERT_TRUE(started);
  otherWrite.Reset();
  DWORD available = 0;
  EXPECT_FALSE(PeekNamedPipe(otherRead.Get(), nullptr, 0, nullptr, &available, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
  started->input.Reset();  // the program reads the end of its input and ends
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
  EXPECT_TRUE(started->inJob);
  const HANDLE process = started->handles.process.Get();
  ASSERT_EQ(WaitForSingleObject(process, 300), static_cast<DWORD>(WAIT_TIMEOUT));
  job.Reset();
  EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
}

}  // namespace
}  // namespace velto
