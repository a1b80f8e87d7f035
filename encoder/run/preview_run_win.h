#pragma once
// A preview run (run mode 2): the picture a conversion's output shows at
// the moment -ss names, written as a 24-bit BMP under the -o name, and the
// moment it shows reported to the window (kReportPosition). Nothing else is
// written.
#include "encoder/common/run_log_win.h"
#include "encoder/job/encoder_job.h"
#include "encoder/run/reporter_win.h"

namespace velto {

// The exit code; on failure the cause is in the log.
int RunPreview(const EncoderJob& job, Reporter& reporter, RunLog& log);

}  // namespace velto
