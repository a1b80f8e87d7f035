#include "base/process_win.h"

namespace velto {
namespace {

// A pipe whose one end the program inherits.
bool MakePipe(UniqueHandle& ours, UniqueHandle& theirs, bool programReads) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 1 << 16)) return false;
  ours.Reset(programReads ? write : read);
  theirs.Reset(programReads ? read : write);
  return SetHandleInformation(ours.Get(), HANDLE_FLAG_INHERIT, 0) != FALSE;
}

UniqueHandle OpenNullDevice() {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return UniqueHandle(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                  OPEN_EXISTING, 0, nullptr));
}

}  // namespace

std::optional<StartedProcess> StartHidden(const ProcessStart& start) {
  StartedProcess started;
  const StreamUse uses[3] = {start.input, start.output, start.error};
  UniqueHandle* const ours[3] = {&started.input, &started.output, &started.error};
  UniqueHandle theirs[3];
  UniqueHandle nul;
  HANDLE given[3] = {};
  bool anyStream = false;
  for (int i = 0; i < 3; ++i) {
    if (uses[i] == StreamUse::kPipe) {
      if (!MakePipe(*ours[i], theirs[i], i == 0)) return std::nullopt;
      given[i] = theirs[i].Get();
    } else if (uses[i] == StreamUse::kNull) {
      if (!nul) nul = OpenNullDevice();
      given[i] = nul.Get();
    }
    anyStream = anyStream || uses[i] != StreamUse::kNone;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | (anyStream ? STARTF_USESTDHANDLES : 0);
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = given[0];
  startup.hStdOutput = given[1];
  startup.hStdError = given[2];
  const DWORD flags = (start.console ? CREATE_NO_WINDOW : DETACHED_PROCESS) | CREATE_UNICODE_ENVIRONMENT |
                      (start.job ? CREATE_SUSPENDED : 0);
  std::wstring line = start.commandLine;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(start.program.empty() ? nullptr : start.program.c_str(), line.data(), nullptr, nullptr,
                      anyStream, flags, nullptr, start.folder.empty() ? nullptr : start.folder.c_str(), &startup,
                      &info))
    return std::nullopt;
  started.handles = OwnedProcess(info);
  if (start.job) {
    AssignProcessToJobObject(start.job, info.hProcess);
    ResumeThread(info.hThread);
  }
  return started;
}

JobObject MakeKillOnCloseJob() {
  JobObject job(CreateJobObjectW(nullptr, nullptr));
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job && !SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
    job.Reset();
  return job;
}

}  // namespace velto
