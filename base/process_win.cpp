#include "base/process_win.h"

#include <algorithm>
#include <vector>

namespace velto {
namespace {

// A pipe whose one end the program inherits.
bool MakePipe(UniqueHandle& ours, UniqueHandle& theirs, bool programReads, DWORD bytes) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, bytes != 0 ? bytes : 1 << 16)) return false;
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
      if (!MakePipe(*ours[i], theirs[i], i == 0, i == 1 ? start.outputPipeBytes : 0)) return std::nullopt;
      given[i] = theirs[i].Get();
    } else if (uses[i] == StreamUse::kNull) {
      if (!nul) nul = OpenNullDevice();
      given[i] = nul.Get();
    }
    anyStream = anyStream || uses[i] != StreamUse::kNone;
  }
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | (anyStream ? STARTF_USESTDHANDLES : 0);
  startup.StartupInfo.wShowWindow = SW_HIDE;
  startup.StartupInfo.hStdInput = given[0];
  startup.StartupInfo.hStdOutput = given[1];
  startup.StartupInfo.hStdError = given[2];
  // The program inherits its own streams and nothing else: not the pipes
  // of a program another thread is starting at the same moment, whose ends
  // are inheritable until that start is done.
  std::vector<HANDLE> inherited;
  for (const HANDLE handle : given)
    if (handle && handle != INVALID_HANDLE_VALUE &&
        std::find(inherited.begin(), inherited.end(), handle) == inherited.end())
      inherited.push_back(handle);
  // Windows 10 and later put the program in its job as it is made; older
  // ones refuse the attribute, and the program is made suspended and put
  // in the job before it runs, which a kill of this process in between
  // would leave outside the job.
  constexpr DWORD_PTR kJobListAttribute = 0x0002000D;  // PROC_THREAD_ATTRIBUTE_JOB_LIST
  HANDLE jobs[1] = {start.job};
  const DWORD listed = (inherited.empty() ? 0 : 1) + (start.job ? 1 : 0);
  std::vector<char> attributes;
  if (listed > 0) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, listed, 0, &size);
    attributes.resize(size);
    startup.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    if (!InitializeProcThreadAttributeList(startup.lpAttributeList, listed, 0, &size)) return std::nullopt;
    if (!inherited.empty() &&
        !UpdateProcThreadAttribute(startup.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited.data(),
                                   inherited.size() * sizeof(HANDLE), nullptr, nullptr)) {
      DeleteProcThreadAttributeList(startup.lpAttributeList);
      return std::nullopt;
    }
    if (start.job)
      UpdateProcThreadAttribute(startup.lpAttributeList, 0, kJobListAttribute, jobs, sizeof jobs, nullptr, nullptr);
  }
  const DWORD flags = (start.console ? CREATE_NO_WINDOW : DETACHED_PROCESS) | CREATE_UNICODE_ENVIRONMENT |
                      (start.job ? CREATE_SUSPENDED : 0) | (listed > 0 ? EXTENDED_STARTUPINFO_PRESENT : 0);
  std::wstring line = start.commandLine;
  PROCESS_INFORMATION info{};
  const BOOL created =
      CreateProcessW(start.program.empty() ? nullptr : start.program.c_str(), line.data(), nullptr, nullptr,
                     !inherited.empty(), flags, nullptr, start.folder.empty() ? nullptr : start.folder.c_str(),
                     &startup.StartupInfo, &info);
  if (startup.lpAttributeList) DeleteProcThreadAttributeList(startup.lpAttributeList);
  if (!created) return std::nullopt;
  started.handles = OwnedProcess(info);
  if (start.job) {
    BOOL member = FALSE;
    started.inJob = (IsProcessInJob(info.hProcess, start.job, &member) && member) ||
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

std::vector<PROCESSENTRY32W> RunningProcesses() {
  std::vector<PROCESSENTRY32W> running;
  const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return running;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
    running.push_back(entry);
  return running;
}

bool AllThreadsSuspended(DWORD id) {
  const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return false;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool any = false;
  for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry)) {
    if (entry.th32OwnerProcessID != id) continue;
    const UniqueHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
    const DWORD before = thread ? SuspendThread(thread.Get()) : static_cast<DWORD>(-1);
    if (before == static_cast<DWORD>(-1)) continue;
    ResumeThread(thread.Get());
    if (before == 0) return false;
    any = true;
  }
  return any;
}

int LogicalProcessors() {
  const DWORD count = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
  return count > 0 ? static_cast<int>(count) : 1;
}

}  // namespace velto
