// Command-line splitting and quoting: any line splits; every argument list
// quoted and joined splits back into itself.
#include <cstdint>
#include <string>
#include <vector>

#include "encoder/common/command_line_tokens.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> arguments = velto::SplitCommandLine(line);
  FUZZ_CHECK(velto::SplitCommandLine(velto::JoinCommandLine(arguments)) == arguments);
  FUZZ_CHECK(velto::SplitCommandLine("prog.exe " + velto::JoinCommandLine(arguments), true) == arguments);
  for (const std::string& argument : arguments)
    FUZZ_CHECK(velto::SplitCommandLine(velto::QuoteArgument(argument)) == std::vector<std::string>{argument});

  // The line itself as one argument, and after a program name.
  const std::string quoted = velto::QuoteArgument(line);
  FUZZ_CHECK(velto::SplitCommandLine(quoted) == std::vector<std::string>{line});
  (void)velto::SplitCommandLine(line, true);
  return 0;
}
