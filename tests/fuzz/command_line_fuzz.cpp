// The command line as any program may start ours: arguments quoted back
// together split into the same arguments, the first argument is trimmed, and
// only the six mode words select a mode, and the log switch is never the mode.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> args = mervalis::SplitCommandLine(text);
  std::string again;
  for (const std::string& arg : args) {
    FUZZ_CHECK(arg.find('"') == std::string::npos);
    again += (again.empty() ? "\"" : " \"") + arg + "\"";
  }
  FUZZ_CHECK(mervalis::SplitCommandLine(again) == args);

  const std::string first = mervalis::FirstArgument(text);
  if (args.size() < 2) {
    FUZZ_CHECK(first.empty());
  } else {
    FUZZ_CHECK(args[1].find(first) != std::string::npos);
    FUZZ_CHECK(first.empty() || (static_cast<unsigned char>(first.front()) > ' ' &&
                                 static_cast<unsigned char>(first.back()) > ' '));
  }
  using mervalis::RunMode;
  const RunMode mode = mervalis::RunModeFor(text);
  FUZZ_CHECK(mode == RunMode::Normal || (mode == RunMode::Apply && text == "apply") ||
             (mode == RunMode::Uninstall && text == "uninstall") ||
             (mode == RunMode::DoUninstall && text == "douninstall") ||
             (mode == RunMode::Desktop && text == "desktop") || (mode == RunMode::Preview && text == "preview") ||
             (mode == RunMode::Report && text == "report"));
  // The mode's word is the first argument unless that is the log switch.
  const std::string modeWord = mervalis::ModeArgument(text);
  FUZZ_CHECK(modeWord.size() != 4 || modeWord[0] != '/' || (modeWord[1] | 0x20) != 'l' ||
             (modeWord[2] | 0x20) != 'o' || (modeWord[3] | 0x20) != 'g');
  FUZZ_CHECK(modeWord == first || mervalis::CarriesLogSwitch(text));
  return 0;
}
