#include "encoder/run/split_folder_win.h"

namespace velto {

SplitFolder::~SplitFolder() {
  parts_.End();
  join_.End();
  if (!claim_.ClearParts()) log_.Line("the parts could not be removed");
}

}  // namespace velto
