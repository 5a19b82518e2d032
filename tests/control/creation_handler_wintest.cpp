// The runtime control's creation handler as the shell meets it: the control
// is registered, the desktop host loads a page that embeds it, and the
// handler reads the wallpaper that the Active Desktop stand-in reports. A
// stand-in program in the install folder records what the control starts.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/folders_win.h"
#include "common/names.h"
#include "control/control_test_support.h"
#include "payload/expected_files.h"
#include "wine/installation.h"

namespace {

using wine_test::Process;

constexpr DWORD kHostTimeoutMs = 20000;
// Where the installed programs of the family live.
constexpr char kInstallFolder[] = "C:\\Program Files\\Quorvane\\";

// The start recorder placed as "<install folder>\<file name>" for one test;
// a file already there is moved aside and put back afterwards.
class FakeApplication {
 public:
  explicit FakeApplication(const std::string& fileName)
      : folder_(kInstallFolder), path_(folder_ + fileName) {
    createdFolder_ = !mervalis::DirectoryExists(folder_) && mervalis::ForceDirectories(folder_);
    saved_ = mervalis::FileExists(path_) && ::MoveFileExA(path_.c_str(), Saved().c_str(), MOVEFILE_REPLACE_EXISTING);
    ::DeleteFileA(Record().c_str());
    placed_ = ::CopyFileA(control_test::StartRecorderPath().c_str(), path_.c_str(), FALSE);
  }
  FakeApplication(const FakeApplication&) = delete;
  FakeApplication& operator=(const FakeApplication&) = delete;
  ~FakeApplication() {
    ::DeleteFileA(path_.c_str());
    ::DeleteFileA(Record().c_str());
    if (saved_) ::MoveFileExA(Saved().c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (createdFolder_) ::RemoveDirectoryA(folder_.c_str());  // only when empty
  }
  [[nodiscard]] bool placed() const { return placed_; }

  // The command line of every start so far, oldest first. (The recorder
  // writes two lines per start: its module path, its command line.)
  [[nodiscard]] std::vector<std::string> CommandLines() const {
    const std::string text = wine_test::ReadFileBytes(Record());
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
      const size_t end = text.find("\r\n", at);
      lines.push_back(text.substr(at, end - at));
      at = end == std::string::npos ? text.size() : end + 2;
    }
    std::vector<std::string> commandLines;
    for (size_t i = 1; i < lines.size(); i += 2) commandLines.push_back(lines[i]);
    return commandLines;
  }
  // Waits for a first start, and a moment longer for any second one.
  [[nodiscard]] std::vector<std::string> WaitForStarts() const {
    (void)robot::WaitUntil([&] { return !CommandLines().empty(); }, 10000);
    ::Sleep(300);
    return CommandLines();
  }

 private:
  [[nodiscard]] std::string Record() const { return path_ + ".started"; }
  [[nodiscard]] std::string Saved() const { return path_ + ".control-test-saved"; }
  std::string folder_;
  std::string path_;
  bool createdFolder_ = false;
  bool saved_ = false;
  bool placed_ = false;
};

// The command line ShellExecute makes for `program` with the one argument.
std::string StartedWithApply(const std::string& program) { return "\"" + program + "\" apply"; }

// The desktop loads its page; no box may appear.
void LoadDesktopExpectingNoBox(const std::string& arguments = "", DWORD exitCode = 0) {
  Process host(control_test::DesktopHostPath(), arguments);
  DWORD code = 99;
  if (!host.WaitForExit(kHostTimeoutMs, &code)) {
    const auto box = robot::WaitForMessageBox("", host.id(), 0);
    FAIL() << "the desktop host did not end; box: " << (box ? box->text : "none");
  }
  EXPECT_EQ(code, exitCode) << "desktop_host exit code";
}

// A local path as a browser gives it: "file:///C:/a%20b/c.html".
std::string FileAddress(std::string path) {
  std::string address = "file:///";
  for (char c : path) {
    if (c == '\\') {
      address += '/';
    } else if (c == ' ') {
      address += "%20";
    } else {
      address += c;
    }
  }
  return address;
}

// The desktop loads the page; the control shows exactly one box, with this
// text, which the robot reads and answers.
void LoadDesktopExpectingBox(const std::string& arguments, const std::string& text) {
  Process host(control_test::DesktopHostPath(), arguments);
  const auto box = robot::WaitForMessageBox("Quorvane", host.id(), kHostTimeoutMs);
  ASSERT_TRUE(box) << "no box from the control";
  EXPECT_EQ(box->text, text);
  EXPECT_EQ(box->buttons, std::vector<std::string>{"OK"});
  EXPECT_TRUE(box->hasIcon);
  ASSERT_TRUE(robot::PressMessageBoxButton(*box, "OK"));
  // A second box (the shell's, about a missing file, say) would keep the host.
  DWORD code = 99;
  if (!host.WaitForExit(kHostTimeoutMs, &code)) {
    const auto other = robot::WaitForMessageBox("", host.id(), 0);
    FAIL() << "the desktop host did not end after the box; next box: " << (other ? other->text : "none");
  }
  EXPECT_EQ(code, 0u) << "desktop_host exit code";
}

class RuntimeControlCreation : public testing::Test {
 protected:
  static void SetUpTestSuite() { registered_ = control_test::RunRegsvr32("/s") == 0; }
  static void TearDownTestSuite() { (void)control_test::RunRegsvr32("/s /u"); }

  void SetUp() override {
    ASSERT_TRUE(registered_) << "regsvr32 could not register " << control_test::ControlPath();
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    pages_ = mervalis::WithTrailingBackslash(temp) + "mervalis_control_pages\\";
    ASSERT_TRUE(mervalis::ForceDirectories(pages_ + "Quorvane - Folder"));
    active_desktop_fixture::ClearCalls();
  }
  void TearDown() override {
    for (const std::string& page : written_) ::DeleteFileA(page.c_str());
    ::RemoveDirectoryA((pages_ + "Quorvane - Folder").c_str());
    ::RemoveDirectoryA(pages_.c_str());
    active_desktop_fixture::ClearCalls();
  }

  // Writes the stub page that an apply run leaves, as `name` in the pages
  // folder; its full path.
  std::string WriteStubPage(const std::string& name) {
    const std::string path = pages_ + name;
    const std::string control = mervalis::GetSystemFolder() + "quorvanexrun.ocx";
    EXPECT_TRUE(wine_test::WriteFileBytes(path, wine_test::ExpectedStubPage(control)));
    written_.push_back(path);
    return path;
  }

  control_test::StoredWallpaper wallpaper_;
  std::string pages_;
  std::vector<std::string> written_;

 private:
  static inline bool registered_ = false;
};

TEST_F(RuntimeControlCreation, LowerCasePageNameIsRecognisedAndTheTitleKeepsItsCase) {
  // Installed as "Mervalis.exe"; the page's own spelling names the file started.
  FakeApplication application("Mervalis.exe");
  ASSERT_TRUE(application.placed());
  ASSERT_TRUE(wallpaper_.Set(WriteStubPage("quorvane - mervalis.html")));

  LoadDesktopExpectingNoBox();

  EXPECT_EQ(application.WaitForStarts(),
            std::vector<std::string>{StartedWithApply(std::string(kInstallFolder) + "mervalis.exe")});
  // The control asked with 260 characters and reserved 0 (the host asks with
  // 1024 first), and released the object.
  EXPECT_EQ(active_desktop_fixture::ReadAndClearCalls(),
            (std::vector<std::string>{"Create", "GetWallpaper|1024|0", "Destroy", "Create", "GetWallpaper|260|0",
                                      "Destroy"}));
}

TEST_F(RuntimeControlCreation, TitleIsCutAtItsFirstDot) {
  FakeApplication cut("Mer.exe");
  FakeApplication whole("Mer.valis.exe");
  ASSERT_TRUE(cut.placed() && whole.placed());
  ASSERT_TRUE(wallpaper_.Set(WriteStubPage("Quorvane - Mer.valis.html")));

  LoadDesktopExpectingNoBox();

  EXPECT_EQ(cut.WaitForStarts(), std::vector<std::string>{StartedWithApply(std::string(kInstallFolder) + "Mer.exe")});
  EXPECT_TRUE(whole.CommandLines().empty());
}

TEST_F(RuntimeControlCreation, WallpapersItCannotRenewShowTheirErrorAndStartNothing) {
  FakeApplication application("Mervalis.exe");
  ASSERT_TRUE(application.placed());
  struct Case {
    const char* page;       // written to the pages folder, the desktop's wallpaper
    bool reported;          // false: the desktop reports no wallpaper
    const char* message;
  };
  for (const Case& c : {
           Case{"Quorvane - Mervalis.html", false, "Invalid Wallpaper (Error 1001)"},
           // The prefix stands in the folder's name, not in the file's.
           Case{"Quorvane - Folder\\Mervalis.html", true, "Invalid Wallpaper (Error 1002)"},
           Case{"Quorvane - Mervalis", true, "Invalid Wallpaper (Error 1003)"},
           // Uninstalled, but its page is still on the desktop.
           Case{"Quorvane - Vanished.html", true, "Wallpaper Application Not Found (Error 1004)"},
       }) {
    SCOPED_TRACE(c.message);
    const std::string page = WriteStubPage(c.page);
    ASSERT_TRUE(wallpaper_.Set(c.reported ? page : ""));
    // With no wallpaper reported, the host is told which page it shows; the
    // page that hosts the control is the family's in every case.
    LoadDesktopExpectingBox((c.reported ? "" : "--page \"" + page + "\" ") + "--url \"file://" + pages_ +
                                "Quorvane - Mervalis.html\"",
                            c.message);
    EXPECT_TRUE(application.CommandLines().empty());
  }
  EXPECT_FALSE(mervalis::FileExists(std::string(kInstallFolder) + "Vanished.exe"));
}

TEST_F(RuntimeControlCreation, OnlyTheFamilysLocalPagesMayUseTheControl) {
  FakeApplication application("Mervalis.exe");
  ASSERT_TRUE(application.placed());
  const std::string page = WriteStubPage("Quorvane - Mervalis.html");
  // Any page on the web may name the control's class id; whatever the
  // desktop shows (a family page, or nothing, which would give a box), the
  // control does nothing there and will not be made safe (exit code 6).
  for (const std::string& wallpaper : {page, std::string()}) {
    SCOPED_TRACE("desktop wallpaper \"" + wallpaper + "\"");
    ASSERT_TRUE(wallpaper_.Set(wallpaper));
    LoadDesktopExpectingNoBox("--page \"" + page + "\" --url \"http://example.com/Quorvane - Mervalis.html\"", 6);
    ::Sleep(1000);
    EXPECT_TRUE(application.CommandLines().empty());
  }
  // Nor a local page not of the family, nor a web page that only its
  // document tells, nor a page whose address the host does not tell.
  ASSERT_TRUE(wallpaper_.Set(page));
  for (const char* arguments : {"--url \"file:///C:/windows/Web/Wallpaper/Other.html\"",
                                "--document-url \"https://example.com/Quorvane%20-%20Mervalis.html\"",
                                "--no-address"}) {
    SCOPED_TRACE(arguments);
    LoadDesktopExpectingNoBox(arguments, 6);
    ::Sleep(1000);
    EXPECT_TRUE(application.CommandLines().empty());
  }

  // The desktop's own page, told by its address, works as before.
  LoadDesktopExpectingNoBox("--url \"" + FileAddress(page) + "\"");
  EXPECT_EQ(application.WaitForStarts(),
            std::vector<std::string>{StartedWithApply(std::string(kInstallFolder) + "Mervalis.exe")});
}

// ---- The whole loop: install, then the desktop loads the stub page ----

class RuntimeControlEndToEnd : public wine_test::CleanMachineTest {
 protected:
  RuntimeControlEndToEnd() : CleanMachineTest(240000) {}
  void TearDown() override {
    wine_test::KillProcessesNamed("Mervalis.exe");
    // The install registered its copy of the control; nothing else takes that back.
    if (mervalis::FileExists(wine_test::Paths().controlPath)) {
      (void)control_test::RunRegsvr32("/s /u", wine_test::Paths().controlPath);
    }
    CleanMachineTest::TearDown();
  }

  static std::string RegisteredServer() {
    return wine_test::ReadRegistryString(HKEY_CLASSES_ROOT,
                                         "CLSID\\{A720EFA4-00C8-459A-8762-5CF50F24DA54}\\InprocServer32", "");
  }
};

TEST_F(RuntimeControlEndToEnd, StubPageLeftByAnInstallStartsTheInstalledProgramWhichRenewsThePage) {
  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;
  const wine_test::InstalledPaths paths = wine_test::Paths();
  // The install started regsvr32 for its copy of the control without waiting.
  ASSERT_TRUE(robot::WaitUntil([] { return !RegisteredServer().empty(); }, 30000));
  EXPECT_EQ(::lstrcmpiA(RegisteredServer().c_str(), paths.controlPath.c_str()), 0) << RegisteredServer();
  const std::string stub = wine_test::ExpectedStubPage(paths.controlPath);
  ASSERT_EQ(wine_test::ReadFileBytes(paths.pagePath), stub);
  ASSERT_TRUE(mervalis::FileExists(paths.applicationFile));

  // Take away what the renewal must write again.
  const std::string background = paths.imagesFolder + "background.bmp";
  const std::string atApply = active_desktop_fixture::AtApplyCopyPath(paths.pagePath);
  ASSERT_TRUE(::DeleteFileA(background.c_str()));
  ::DeleteFileA(atApply.c_str());
  active_desktop_fixture::ClearCalls();

  // The shell loads the page the desktop shows; the control starts
  // "Mervalis.exe apply" and the host goes on without waiting for it.
  LoadDesktopExpectingNoBox();

  // The program points the desktop at the animated page again...
  ASSERT_TRUE(robot::WaitUntil([&] { return mervalis::FileExists(atApply); }, 60000))
      << "the desktop was not pointed at the page again";
  // ...and ends, leaving the stub page once more.
  ASSERT_TRUE(robot::WaitUntil(
      [&] { return !wine_test::IsProcessRunning("Mervalis.exe") && wine_test::ReadFileBytes(paths.pagePath) == stub; },
      60000));
  const std::string shown = wine_test::ReadFileBytes(atApply);
  EXPECT_NE(shown, stub);
  EXPECT_NE(shown.find("var pageLayout = "), std::string::npos);
  EXPECT_NE(shown.find("window.onload = initImages;"), std::string::npos);
  EXPECT_EQ(wine_test::ReadFileBytes(background).substr(0, 2), "BM") << "background not written again";

  const std::vector<std::string> calls = active_desktop_fixture::ReadAndClearCalls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "SetWallpaper|" + paths.pagePath + "|0"), calls.end());
  EXPECT_FALSE(robot::WaitForMessageBox("", 0, 500)) << "a box was left open";
}

}  // namespace
