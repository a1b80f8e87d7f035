#include "encoder/run/split_folder_win.h"

#include "base/text_encoding.h"
#include "base/work_files.h"

namespace velto {

SplitFolder::SplitFolder(const std::wstring& output, RunLog& log) : path_(PartsFolderFor(output)), log_(log) {
  if (!CreateDirectoryW(path_.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    log_.Line("the parts folder could not be made (system error " + std::to_string(GetLastError()) + ")");
    return;
  }
  SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_HIDDEN);
  // Open without sharing delete, no other process can remove the lock (and
  // so the folder, base/work_files.h) while this one lives; it goes with
  // the last handle, also when this process is killed.
  lock_.Reset(CreateFileW((path_ + kPartsLockName).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (!lock_)
    log_.Line("the parts folder is held by another run (system error " + std::to_string(GetLastError()) + ")");
}

SplitFolder::~SplitFolder() {
  parts_.End();
  join_.End();
  if (!lock_) return;
  lock_.Reset();
  if (!RemovePartsFolder(path_)) log_.Line("the parts folder could not be removed");
}

}  // namespace velto
