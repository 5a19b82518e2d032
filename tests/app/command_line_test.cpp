#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace mervalis {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, BlanksAndControlCharactersSeparate) {
  EXPECT_EQ(SplitCommandLine("prog.exe apply"), (Args{"prog.exe", "apply"}));
  EXPECT_EQ(SplitCommandLine("  prog.exe\t\tapply\r\nextra  "), (Args{"prog.exe", "apply", "extra"}));
  EXPECT_EQ(SplitCommandLine(""), Args{});
  EXPECT_EQ(SplitCommandLine(" \t "), Args{});
}

TEST(SplitCommandLine, QuotedStretchesBelongToTheArgumentWithoutQuotes) {
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\Quorvane\\Mervalis.exe\" \" apply \""),
            (Args{"C:\\Program Files\\Quorvane\\Mervalis.exe", " apply "}));
  EXPECT_EQ(SplitCommandLine("a\"b c\"d e"), (Args{"ab cd", "e"}));
  EXPECT_EQ(SplitCommandLine("prog \"\""), (Args{"prog", ""}));
}

TEST(SplitCommandLine, UnquotedPathWithBlanksEndsAtItsFirstBlank) {
  EXPECT_EQ(SplitCommandLine("C:\\Program Files\\Quorvane\\Mervalis.exe uninstall"),
            (Args{"C:\\Program", "Files\\Quorvane\\Mervalis.exe", "uninstall"}));
  // So the first argument is the rest of the path, and the mode is normal.
  EXPECT_EQ(FirstArgument("C:\\Program Files\\Quorvane\\Mervalis.exe uninstall"),
            "Files\\Quorvane\\Mervalis.exe");
}

TEST(SplitCommandLine, UnbalancedQuoteRunsToTheEnd) {
  EXPECT_EQ(SplitCommandLine("prog \"apply extra"), (Args{"prog", "apply extra"}));
  EXPECT_EQ(SplitCommandLine("\"prog apply"), (Args{"prog apply"}));
}

TEST(SplitCommandLine, BytesAbove127AreOrdinaryCharacters) {
  EXPECT_EQ(SplitCommandLine("prog \xA0\xE9\xFF x"), (Args{"prog", "\xA0\xE9\xFF", "x"}));
}

TEST(SplitCommandLine, VeryLongArgumentsSurvive) {
  const std::string longArg(100000, 'x');
  const auto args = SplitCommandLine("prog " + longArg + " \"" + longArg);
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[1], longArg);
  EXPECT_EQ(args[2], longArg);
}

TEST(RunMode, FirstArgumentTrimmedSelectsTheMode) {
  // FirstArgument trims; lower-casing is the caller's (by the user's locale).
  EXPECT_EQ(RunModeFor(FirstArgument("prog apply")), RunMode::Apply);
  EXPECT_EQ(RunModeFor(FirstArgument("prog \" apply \"")), RunMode::Apply);
  EXPECT_EQ(RunModeFor(FirstArgument("prog apply extra")), RunMode::Apply);
  EXPECT_EQ(RunModeFor(FirstArgument("prog uninstall")), RunMode::Uninstall);
  EXPECT_EQ(RunModeFor(FirstArgument("prog douninstall")), RunMode::DoUninstall);
  EXPECT_EQ(RunModeFor(FirstArgument("prog")), RunMode::Normal);
  EXPECT_EQ(RunModeFor(FirstArgument("prog /apply")), RunMode::Normal);
  EXPECT_EQ(RunModeFor(FirstArgument("prog -uninstall")), RunMode::Normal);
  EXPECT_EQ(RunModeFor(FirstArgument("prog \"\" apply")), RunMode::Normal);
  // Upper case must be lowered first: the exact comparison is case-sensitive.
  EXPECT_EQ(RunModeFor("APPLY"), RunMode::Normal);
}

TEST(RunMode, DesktopAndPreviewWords) {
  EXPECT_EQ(RunModeFor(FirstArgument("\"C:\\Program Files\\Quorvane\\Mervalis.exe\" desktop")), RunMode::Desktop);
  EXPECT_EQ(RunModeFor(FirstArgument("prog \" preview \" extra")), RunMode::Preview);
  EXPECT_EQ(RunModeFor("desktops"), RunMode::Normal);
  EXPECT_EQ(RunModeFor("/desktop"), RunMode::Normal);
  EXPECT_EQ(RunModeFor("Preview"), RunMode::Normal);
  EXPECT_EQ(RunModeFor(FirstArgument("prog report")), RunMode::Report);
}

TEST(RunMode, LogSwitchAnywhereTurnsTheLogOnAndLeavesTheMode) {
  const struct {
    const char* commandLine;
    bool log;
    const char* mode;
  } rows[] = {
      {"prog /log", true, ""},           {"prog /LOG apply", true, "apply"}, {"prog desktop \" /Log \"", true, "desktop"},
      {"prog apply", false, "apply"},    {"/log", false, ""},                {"prog /logs report", false, "/logs"},
      {"prog -log report", false, "-log"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.commandLine);
    EXPECT_EQ(CarriesLogSwitch(row.commandLine), row.log);
    EXPECT_EQ(ModeArgument(row.commandLine), row.mode);
  }
}

TEST(Switches, SilentSwitchesInAnyCaseWithTheInstallsOptions) {
  struct Row {
    const char* commandLine;
    bool silent;
    LayoutSwitch layout;
    bool border;
    bool noShortcut;
    const char* unknown;
  };
  const Row rows[] = {
      {"prog", false, LayoutSwitch::kNone, false, false, ""},
      {"prog /S", true, LayoutSwitch::kNone, false, false, ""},
      {"prog /s", true, LayoutSwitch::kNone, false, false, ""},
      {"prog /SILENT", true, LayoutSwitch::kNone, false, false, ""},
      {"prog /Quiet", true, LayoutSwitch::kNone, false, false, ""},
      {"\"C:\\Program Files\\Quorvane\\Mervalis.exe\" uninstall /S", true, LayoutSwitch::kNone, false, false, ""},
      {"prog /S /layout=centered /border /noshortcut", true, LayoutSwitch::kCentred, true, true, ""},
      {"prog /LAYOUT=Stretched /S", true, LayoutSwitch::kStretched, false, false, ""},
      {"prog /S /layout=tiled -S S", true, LayoutSwitch::kNone, false, false, "/layout=tiled"},
      {"prog apply /S", true, LayoutSwitch::kNone, false, false, ""},
      {"prog /S apply", true, LayoutSwitch::kNone, false, false, "apply"},
      {"prog /log uninstall /S", true, LayoutSwitch::kNone, false, false, ""},
      {"prog /S /LOG /noshortcut", true, LayoutSwitch::kNone, false, true, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.commandLine);
    const Switches s = ReadSwitches(row.commandLine);
    EXPECT_EQ(s.silent, row.silent);
    EXPECT_EQ(s.layout, row.layout);
    EXPECT_EQ(s.border, row.border);
    EXPECT_EQ(s.noShortcut, row.noShortcut);
    EXPECT_EQ(s.unknown, row.unknown);
  }
}

TEST(Switches, StoredLayoutStaysUnlessTheCommandLineNamesOne) {
  const StoredLayout centredDecorated{false, true, true};
  const StoredLayout stretched{true, false, false};
  struct Row {
    const char* commandLine;
    StoredLayout stored;
    StoredLayout expected;
  };
  const Row rows[] = {
      {"prog /S", centredDecorated, centredDecorated},
      {"prog /S /noshortcut", stretched, stretched},
      {"prog /S /layout=centered", centredDecorated, {false, false, false}},
      {"prog /S /layout=centered /border", stretched, {false, true, false}},
      {"prog /S /border", stretched, {false, true, false}},
      {"prog /S /layout=stretched /border", centredDecorated, stretched},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.commandLine);
    EXPECT_EQ(SilentInstallLayout(ReadSwitches(row.commandLine), row.stored), row.expected);
  }
}

}  // namespace
}  // namespace mervalis
