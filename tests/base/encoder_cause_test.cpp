// The cause lines veltoenc.exe leaves in its log and the converter reads.
#include "base/encoder_cause.h"

#include <gtest/gtest.h>

#include "base/encoder_interface.h"

namespace velto {
namespace {

TEST(EncoderCause, ReadsBackFromALogAmongItsOtherLines) {
  const std::string log = "arguments: \"a.wmv\" -o \"a.avi\" 0 0\r\nengine said: disk trouble\r\n" +
                          EncoderCauseLines({EncoderCause::kFfmpegFailed, "a.avi: I/O error\r\nsecond line"});
  const EncoderCauseRecord read = ReadEncoderCause(log);
  EXPECT_EQ(read.cause, EncoderCause::kFfmpegFailed);
  EXPECT_EQ(read.detail, "a.avi: I/O error  second line");
  for (EncoderCause cause : {EncoderCause::kBadArguments, EncoderCause::kSourceUnreadable, EncoderCause::kNotVideoFile,
                             EncoderCause::kNoVideoStream, EncoderCause::kFfmpegMissing, EncoderCause::kOutputDenied,
                             EncoderCause::kDiskFull, EncoderCause::kSourceReadTimeout,
                             EncoderCause::kOutputIncomplete}) {
    EXPECT_EQ(ReadEncoderCause("exit 5\n" + EncoderCauseLines({cause, ""})).cause, cause);
  }
  // A log without a record, or with a name this side does not know.
  EXPECT_EQ(ReadEncoderCause("exit 5: engine failed\r\n").cause, EncoderCause::kUnknown);
  EXPECT_EQ(EncoderCauseLines({}), "");
  const EncoderCauseRecord unknown = ReadEncoderCause("cause=moon-phase\r\ncause-detail=x\r\n");
  EXPECT_EQ(unknown.cause, EncoderCause::kUnknown);
  EXPECT_EQ(unknown.detail, "");
  // Without a record, the exit code says what it can.
  EXPECT_EQ(CauseOfExitCode(kExitSourceUnreadable), EncoderCause::kSourceUnreadable);
  EXPECT_EQ(CauseOfExitCode(kExitFfmpegMissing), EncoderCause::kFfmpegMissing);
  EXPECT_EQ(CauseOfExitCode(kExitFfmpegFailed), EncoderCause::kFfmpegFailed);
  EXPECT_EQ(CauseOfExitCode(kExitStopped), EncoderCause::kUnknown);
}

}  // namespace
}  // namespace velto
