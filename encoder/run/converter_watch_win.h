#pragma once
// A conversion ends with the converter it reports to: a thread waits on the
// process that owns the window, and when that process ends, ends every
// ffmpeg run and this process at once (exit code 2), as a kill would. The
// finished parts stay in the parts folder for the next conversion of the
// same output.
#include <windows.h>

#include <cstdint>
#include <thread>

#include "base/owned_handles.h"
#include "encoder/common/run_log_win.h"

namespace velto {

class ConverterWatch {
 public:
  // Nothing is watched for a handle of 0, or one that is no window.
  ConverterWatch(std::int32_t windowHandle, RunLog& log);
  ConverterWatch(const ConverterWatch&) = delete;
  ConverterWatch& operator=(const ConverterWatch&) = delete;
  // Stops watching.
  ~ConverterWatch();

 private:
  void Watch(std::int32_t windowHandle, RunLog& log);

  UniqueHandle quit_;
  std::thread thread_;
};

}  // namespace velto
