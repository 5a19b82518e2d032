// Every operation interrupted at each of its writes (the program built with
// its crash points ends itself there, as a kill or a power cut would), then
// run again: what the interruption leaves is never a broken wallpaper, and
// the second run ends exactly where an uninterrupted one does. `make test`
// runs a fixed sample of the points, `make test-crash` every one of them.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/folders_win.h"
#include "robot.h"
#include "ui/main_form_ids.h"
#include "wine/contract_literals.h"
#include "wine/installation.h"
#include "wine/snapshot.h"
#include "wine/support.h"
#include "wine/windows_version.h"

namespace {

using namespace wine_test::contract;
using wine_test::Process;
using wine_test::SetString;

constexpr char kUserStyle[] = "10";

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(::tolower(c)); });
  return s;
}
bool Has(const std::string& text, const std::string& part) {
  return Lower(text).find(Lower(part)) != std::string::npos;
}
std::string PointsFile() { return wine_test::BinFolder() + "crash-points.txt"; }
std::string CrashProgram() { return wine_test::BinFolder() + "Mervalis-crashpoints.exe"; }

struct Machine {
  bool perUser;
  HKEY entryRoot() const { return perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
  wine_test::InstalledPaths paths() const { return perUser ? wine_test::PerUserPaths() : wine_test::Paths(); }
  std::string pagePath() const { return perUser ? "" : paths().pagePath; }
  std::string previousPicture() const { return mervalis::GetSpecialFolder(CSIDL_PERSONAL) + "\\previous.bmp"; }
};

bool CompleteBitmap(const std::string& bytes) {
  return bytes.size() >= 54 && bytes.starts_with("BM") && wine_test::Read32(bytes, 2) == bytes.size();
}
bool CompletePage(const std::string& bytes) {
  return !bytes.empty() && bytes.find("<PAGE_LAYOUT>") == std::string::npos &&
         bytes.rfind("</HTML>") != std::string::npos && bytes.rfind("</HTML>") + 16 > bytes.size();
}
// The program named by a command: its path in quotes.
std::string Named(const std::string& command) {
  const std::size_t close = command.find('"', 1);
  return command.starts_with("\"") && close != std::string::npos ? command.substr(1, close - 1) : command;
}

// Our files (contents; shortcuts only whether the shell reads them) and our
// registry, with what an uninterrupted run leaves in the same state.
struct State {
  std::map<std::string, std::string> files;
  wine_test::Snapshot registry;
  // The values the invariants read, as they were, and whether what they name
  // was whole.
  std::string plain, page, command, run, lastwp, style;
  bool plainWhole = false, pageWhole = false, commandWhole = false, runWhole = false;
};

State Take(const Machine& m) {
  State s;
  const auto p = m.paths();
  wine_test::SnapshotScope scope;
  scope.folders = {p.installFolder.substr(0, p.installFolder.size() - 1), p.startMenuGroup};
  scope.folders.push_back(m.perUser ? p.imagesFolder.substr(0, p.imagesFolder.find("\\Quorvane\\") + 9)
                                    : p.pagePath.substr(0, p.pagePath.find_last_of('\\')));
  scope.keys = {{HKEY_CURRENT_USER, kCompanyKey}, {HKEY_CURRENT_USER, kPlainDesktopKey},
                {HKEY_CURRENT_USER, kActiveDesktopKey}, {m.entryRoot(), kUninstallKey},
                {HKEY_USERS, ".DEFAULT\\Control Panel\\Desktop"}};
  const wine_test::Snapshot taken = wine_test::TakeSnapshot(scope);
  for (const auto& [path, stamp] : taken.files) {
    if (stamp == "<dir>") continue;
    s.files[path] = path.ends_with(".lnk") ? (wine_test::ReadShortcut(path).loaded ? "<link>" : "<broken link>")
                                           : wine_test::ReadFileBytes(path);
  }
  for (const std::string& file : {p.desktopFolder + "\\Mervalis.lnk", p.desktopFolder + "\\Animated Wallpaper.lnk"}) {
    if (wine_test::ReadShortcut(file).exists) s.files[Lower(file)] = "<link>";
  }
  if (!m.perUser && mervalis::FileExists(p.controlPath)) {
    s.files[Lower(p.controlPath)] = wine_test::ReadFileBytes(p.controlPath);
  }
  s.registry = taken;
  s.registry.files.clear();
  s.run = wine_test::ReadRegistryString(HKEY_CURRENT_USER, kRunKey, kRunValue);
  if (!s.run.empty()) s.registry.registry["run"] = s.run;
  s.plain = wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper");
  s.page = wine_test::ReadRegistryString(HKEY_CURRENT_USER, kActiveDesktopKey, "Wallpaper");
  s.command = wine_test::ReadRegistryString(m.entryRoot(), kUninstallKey, "UninstallString");
  s.lastwp = wine_test::ReadRegistryString(HKEY_CURRENT_USER, kCompanyKey, "lastwp");
  s.style = wine_test::ReadRegistryString(HKEY_CURRENT_USER, kCompanyKey, "laststyle");
  s.plainWhole = !Has(s.plain, "background.bmp") || CompleteBitmap(wine_test::ReadFileBytes(s.plain));
  s.pageWhole = !Has(s.page, "Mervalis.html") || CompletePage(wine_test::ReadFileBytes(s.page));
  s.commandWhole = s.command.empty() || mervalis::FileExists(Named(s.command));
  s.runWhole = s.run.empty() || mervalis::FileExists(Named(s.run));
  return s;
}

// A machine on which the wallpaper was never installed, whose user shows a
// picture of their own, placed their own way.
void Wipe(const Machine& m) {
  wine_test::RemoveInstallation();
  // What an interrupted replace left beside the files the clean-up knows by name.
  const auto p = m.paths();
  for (const std::string& file : {p.pagePath, p.controlPath}) {
    if (file.empty()) continue;
    const std::string folder = file.substr(0, file.find_last_of('\\') + 1);
    for (const std::string& name : wine_test::FolderListing(folder)) {
      if (name.ends_with(".tmp") && Has(name, file.substr(folder.size()))) ::DeleteFileA((folder + name).c_str());
    }
  }
  if (m.perUser) {
    (void)mervalis::DeleteKeyTree(HKEY_CURRENT_USER, kUninstallKey);
  }
  ASSERT_TRUE(wine_test::WriteFileBytes(m.previousPicture(), "BM previous picture"));
  SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper", m.previousPicture());
  SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "WallpaperStyle", kUserStyle);
  SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "TileWallpaper", "0");
  SetString(HKEY_CURRENT_USER, kActiveDesktopKey, "Wallpaper", "C:\\previous page.htm");
}

// The crash point the next run of the program stops at; 0 for none.
void CrashAt(long k) {
  ::DeleteFileA(PointsFile().c_str());
  ::SetEnvironmentVariableA("MERVALIS_CRASH_POINTS", PointsFile().c_str());
  ::SetEnvironmentVariableA("MERVALIS_CRASH_AT", k ? std::to_string(k).c_str() : nullptr);
}
long PointsCounted() {
  const std::string lines = wine_test::ReadFileBytes(PointsFile());
  return static_cast<long>(std::count(lines.begin(), lines.end(), '\n'));
}

// The first press, or a press on an installed wallpaper: whichever panel
// comes, through to the done panel. False when the program ended on the way.
bool InstallThroughWindow(const std::string& program) {
  using namespace mervalis::ui;
  Process p(program, "");
  HWND window =
      robot::WaitForWindow({wine_test::contract::kMainFormClass, wine_test::contract::kMainFormCaption, p.id()}, 20000);
  if (!window) return false;
  const auto shows = [&](int id) {
    auto c = robot::Control(window, id);
    return c && c->visible;
  };
  if (!robot::PressButton(window, kBtnInstall)) return false;
  bool done = false;
  robot::WaitUntil([&] {
    if (!p.Running()) return true;
    if (shows(kPnlLicense)) {
      (void)robot::PressButton(window, kChkAcceptLicense);
      (void)robot::PressButton(window, kBtnLicenseInstall);
      ::Sleep(200);
    }
    if (HWND box = robot::FindTopLevel({robot::kMessageBoxClass, "", p.id()})) {
      robot::PressMessageBoxButton(robot::ReadMessageBox(box), "OK");
    }
    done = shows(kPnlDone);
    return done;
  }, 60000);
  if (done) {
    (void)robot::PressButton(window, kBtnFinish);
    (void)p.WaitForExit(10000);
  }
  return done;
}

// The entry's command, confirmed, through its final box; without a command
// (an uninstall interrupted once its program was gone), the program's own
// "douninstall". False when a process of it ended on the way.
bool Uninstall(const Machine& m) {
  const std::string command = wine_test::ReadRegistryString(m.entryRoot(), kUninstallKey, "UninstallString");
  const std::size_t close = command.find('"', 1);
  const bool fromEntry = command.starts_with("\"") && close != std::string::npos;
  Process p(fromEntry ? command.substr(1, close - 1) : CrashProgram(), fromEntry ? "uninstall" : "douninstall");
  if (fromEntry) {
    auto question = robot::WaitForMessageBox("Quorvanesoft", p.id(), 20000);
    if (!question) return false;
    robot::PressMessageBoxButton(*question, "Yes");
    (void)p.WaitForExit(10000);
    (void)robot::WaitForWindowGone(question->hwnd, 10000);
  }
  std::optional<robot::MessageBoxInfo> done;
  robot::WaitUntil([&] {
    if (HWND box = robot::FindTopLevel({robot::kMessageBoxClass, "Quorvanesoft", 0})) {
      done = robot::ReadMessageBox(box);
      if (!done->buttons.empty()) return true;
      done.reset();
    }
    return !p.Running() && !wine_test::IsProcessRunning("QuorUninst1.exe");
  }, 60000);
  if (!done || done->text != kRemovedBox) return false;
  robot::PressMessageBoxButton(*done, "OK");
  return robot::WaitUntil([] { return !wine_test::IsProcessRunning("QuorUninst1.exe"); }, 15000);
}

bool Apply(const Machine& m) {
  Process p(m.paths().applicationFile, "apply");
  DWORD code = 1;
  return p.WaitForExit(60000, &code) && code == 0;
}

// What any interruption must leave (`now`).
void ExpectSound(const Machine& m, const State& before, const State& after, const State& now, bool uninstalling) {
  for (const auto& [path, bytes] : now.files) {
    if (path.ends_with(".tmp")) continue;  // the next run's to remove
    const auto old = before.files.find(path);
    const auto done = after.files.find(path);
    const bool whole = (old != before.files.end() && old->second == bytes) ||
                       (done != after.files.end() && done->second == bytes) ||
                       (path == Lower(m.pagePath()) && CompletePage(bytes));
    EXPECT_TRUE(whole) << "partial or foreign: " << path;
  }
  EXPECT_TRUE(now.plainWhole) << now.plain;
  EXPECT_TRUE(now.pageWhole) << now.page;
  EXPECT_TRUE(now.commandWhole) << now.command;
  // Until every other file of ours is gone (what stays after the whole run
  // is not ours), Apps & features can still run the uninstall.
  const std::string program = Lower(m.paths().applicationFile);
  const bool othersLeft = std::any_of(now.files.begin(), now.files.end(), [&](const auto& file) {
    return file.first != program && !file.first.ends_with(".tmp") && !after.files.count(file.first);
  });
  EXPECT_TRUE(!uninstalling || !now.command.empty() || !now.files.count(program) || !othersLeft);
  EXPECT_TRUE(now.runWhole) << now.run;
  EXPECT_FALSE(Has(now.lastwp, "background.bmp") || Has(now.lastwp, "Mervalis.html")) << now.lastwp;
  EXPECT_TRUE(now.style.empty() || now.style == kUserStyle) << now.style;
}

struct Operation {
  const char* name;
  std::function<void()> prepare;
  std::function<bool()> run;
};

// The points to interrupt at, here and for the runner's power cuts (the
// count step prints them): all of them when asked, else a fixed sample
// spread over the run (first, last and evenly between).
std::vector<long> Points(long count) {
  std::vector<long> points;
  const char* all = std::getenv("MERVALIS_CRASH_ALL");
  const long step = (all && *all == '1') ? 1 : std::max(1L, count / 4);
  for (long k = 1; k <= count; k += step) points.push_back(k);
  if (!points.empty() && points.back() != count) points.push_back(count);
  return points;
}

void InterruptEveryPoint(const Machine& m, const std::vector<Operation>& operations) {
  for (const Operation& op : operations) {
    SCOPED_TRACE(op.name);
    const auto started = std::chrono::steady_clock::now();
    op.prepare();
    CrashAt(0);
    ASSERT_TRUE(op.run()) << "the uninterrupted run failed";
    const long count = PointsCounted();
    const State after = Take(m);
    ASSERT_GT(count, 0);
    const std::vector<long> points = Points(count);
    for (long k : points) {
      SCOPED_TRACE("interrupted at point " + std::to_string(k));
      op.prepare();
      const State before = Take(m);
      CrashAt(k);
      EXPECT_FALSE(op.run()) << "not interrupted";
      ExpectSound(m, before, after, Take(m), std::string(op.name) == "uninstall");
      CrashAt(0);
      EXPECT_TRUE(op.run()) << "the second run failed";
      const State again = Take(m);
      // The running animated desktop's word of its place changes as it looks.
      EXPECT_EQ(wine_test::Difference(after.registry, again.registry, {"|mervalis desktop"}),
                std::vector<std::string>{});
      EXPECT_TRUE(again.files == after.files) << "the files differ from an uninterrupted run's";
    }
    ::SetEnvironmentVariableA("MERVALIS_CRASH_POINTS", nullptr);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("[ CRASH    ] %s: %ld points, %zu interrupted, %.0f s\n", op.name, count, points.size(), seconds);
  }
}

std::vector<Operation> Operations(const Machine& m, bool withApply) {
  const auto fresh = [m] { Wipe(m); };
  const auto installed = [m] {
    Wipe(m);
    CrashAt(0);
    ::SetEnvironmentVariableA("MERVALIS_CRASH_POINTS", nullptr);
    ASSERT_TRUE(InstallThroughWindow(CrashProgram()));
  };
  std::vector<Operation> ops = {{"first install", fresh, [] { return InstallThroughWindow(CrashProgram()); }}};
  if (withApply) ops.push_back({"apply", installed, [m] { return Apply(m); }});
  ops.push_back({"uninstall", installed, [m] { return Uninstall(m); }});
  return ops;
}

// Today's Windows with its shell, and the keys a user's registry has, for the
// per-user install.
bool Windows10(std::optional<wine_test::Windows10Desktop>& desktop) {
  if (!desktop.emplace(std::vector<std::string>{"Mervalis-crashpoints.exe", "Mervalis.exe", "QuorUninst1.exe"})
           .ready()) {
    return false;
  }
  for (const char* key : {kRunKey, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}) {
    if (mervalis::RegistryKey().Create(HKEY_CURRENT_USER, key) != ERROR_SUCCESS) return false;
  }
  return true;
}

class Interrupted : public wine_test::CleanMachineTest {
 protected:
  Interrupted() : CleanMachineTest(3600000) {}
  void TearDown() override {
    for (const char* name : {"MERVALIS_CRASH_POINTS", "MERVALIS_CRASH_AT", "MERVALIS_CRASH_STALL"}) {
      ::SetEnvironmentVariableA(name, nullptr);
    }
    CleanMachineTest::TearDown();
  }
};

TEST_F(Interrupted, EveryOperationOfTheMachineInstallFinishesWhenRunAgain) {
  const Machine xp{false};
  InterruptEveryPoint(xp, Operations(xp, false));
}

// With a standard user's rights (the runner runs suites named so as one).
class StandardUserInterrupted : public Interrupted {};

TEST_F(StandardUserInterrupted, EveryOperationOfThePerUserInstallFinishesWhenRunAgain) {
  std::optional<wine_test::Windows10Desktop> windows10;
  ASSERT_TRUE(Windows10(windows10));
  const Machine vista{true};
  InterruptEveryPoint(vista, Operations(vista, true));
}

// One step of a power cut, which the test runner drives: the cut ends every
// process, this one included, and what the registry had not saved is lost.
// MERVALIS_POWER_CUT names the machine ("xp" or "win10"), the operation and
// the step:
// - "count": an uninterrupted run, which lists its points in the points file;
// - "prepare": the state the operation starts from;
// - "run": the operation, stopped at point MERVALIS_POWER_CUT_AT; with
//   MERVALIS_CRASH_STALL set, the point waits there for the cut;
// - "check": after the cut, what is left is sound, and the operation run
//   again ends where an uninterrupted run from the same state ends.
// Without the variable (an ordinary run of the tests) it skips.
TEST(PowerCutStep, Run) {
  const char* asked = std::getenv("MERVALIS_POWER_CUT");
  if (!asked) GTEST_SKIP() << "not a power-cut run (MERVALIS_POWER_CUT unset)";
  wine_test::SetTestTimeLimit(600000);
  std::string machine, op, step;
  {
    const std::string text = asked;
    const std::size_t first = text.find(':'), last = text.rfind(':');
    ASSERT_TRUE(first != std::string::npos && last > first) << text;
    machine = text.substr(0, first), op = text.substr(first + 1, last - first - 1), step = text.substr(last + 1);
  }
  const Machine m{machine == "win10"};
  std::optional<wine_test::Windows10Desktop> windows10;
  if (m.perUser) {
    ASSERT_TRUE(Windows10(windows10));
  }
  const std::vector<Operation> ops = Operations(m, m.perUser);
  const auto found = std::find_if(ops.begin(), ops.end(), [&](const Operation& o) { return op == o.name; });
  ASSERT_NE(found, ops.end()) << op;
  const char* at = std::getenv("MERVALIS_POWER_CUT_AT");
  if (step == "count") {
    found->prepare();
    CrashAt(0);
    ASSERT_TRUE(found->run());
    std::string sampled;
    for (long k : Points(PointsCounted())) sampled += " " + std::to_string(k);
    std::printf("[ POINTS   ]%s\n", sampled.c_str());
  } else if (step == "prepare") {
    found->prepare();
  } else if (step == "run") {
    ASSERT_TRUE(at);
    CrashAt(std::atol(at));
    EXPECT_FALSE(found->run()) << "not interrupted";
  } else {
    ASSERT_EQ(step, "check");
    const State now = Take(m);
    ASSERT_TRUE(found->run()) << "the run after the cut failed";
    const State again = Take(m);
    found->prepare();
    const State before = Take(m);
    ASSERT_TRUE(found->run()) << "the uninterrupted run failed";
    const State after = Take(m);
    ExpectSound(m, before, after, now, op == "uninstall");
    EXPECT_EQ(wine_test::Difference(after.registry, again.registry, {"|mervalis desktop"}),
              std::vector<std::string>{});
    EXPECT_TRUE(again.files == after.files) << "the files differ from an uninterrupted run's";
    wine_test::RemoveInstallation();
  }
}

}  // namespace
