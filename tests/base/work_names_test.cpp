// The names an output goes on to when its own is taken, and the outputs a
// batch journal keeps parts for.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/output_names.h"
#include "base/work_files.h"

namespace velto {
namespace {

PathTaken TakenFrom(std::set<std::string> taken) {
  return [taken = std::move(taken)](const std::string& path) { return taken.contains(path); };
}

TEST(OutputNames, TheEncoderGoesOnAlongTheSourcesNames) {
  const auto none = TakenFrom({});
  EXPECT_EQ(NextFreeOutputPath("C:\\v\\talk.vob", "D:\\in\\talk.wmv", none), "C:\\v\\talk_wmv.vob");
  EXPECT_EQ(NextFreeOutputPath("C:\\v\\talk_wmv.vob", "D:\\in\\talk.wmv", none), "C:\\v\\talk_wmv_2.vob");
  EXPECT_EQ(NextFreeOutputPath("C:\\v\\talk_wmv_9.vob", "talk.wmv", TakenFrom({"C:\\v\\talk_wmv_10.vob"})),
            "C:\\v\\talk_wmv_11.vob");
  // A name of its own goes on along its own stem; so does one beside a
  // source without an extension.
  EXPECT_EQ(NextFreeOutputPath("C:\\v\\clip.avi", "D:\\in\\talk.wmv", TakenFrom({"C:\\v\\clip_wmv.avi"})),
            "C:\\v\\clip_wmv_2.avi");
  EXPECT_EQ(NextFreeOutputPath("C:\\v\\talk.avi", "D:\\in\\talk", none), "C:\\v\\talk_2.avi");
}

TEST(WorkFiles, JournalOutputsAreReadBackOrNotAtAll) {
  const std::string journal = "velto batch journal 1\noutput-folder=C:\\v\nfile=D:\\a.wmv\noutput=C:\\v\\100%25 a.avi\n"
                              "state=failed\nfile=D:\\b.wmv\noutput=\nstate=waiting\nend\n";
  EXPECT_EQ(JournalOutputs(journal), std::vector<std::string>{"C:\\v\\100% a.avi"});
  EXPECT_FALSE(JournalOutputs(journal.substr(0, journal.size() - 4)));  // cut short
  EXPECT_FALSE(JournalOutputs("velto batch journal 1\noutput=C:\\v\\%41.avi\nend\n"));
  EXPECT_FALSE(JournalOutputs("something else\nend\n"));
}

}  // namespace
}  // namespace velto
