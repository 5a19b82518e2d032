// The system checks under Wine: the shell library's version, read through its
// export, and the colour depth of the display.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/folders_win.h"
#include "common/system_checks_win.h"
#include "wine/support.h"

namespace {


// The user's decimal separator as the program reads it.
std::string DecimalSeparator() {
  char buffer[8] = {};
  const int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof(buffer));
  return n > 1 ? std::string(buffer, n - 1) : std::string();
}

class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ~ScreenDc() { ::ReleaseDC(nullptr, dc_); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// Wine reports the 24-bit X display as 32 bits per pixel.
TEST(SystemChecks, WineShellAndTrueColourDisplayPassAndBothChecksLog) {
  const wine_test::LogOn log;
  EXPECT_TRUE(mervalis::HighEnoughShellVersion());
  ScreenDc screen;
  ASSERT_NE(screen.get(), nullptr);
  EXPECT_TRUE(mervalis::HighEnoughColors(screen.get()));
  EXPECT_EQ(wine_test::LogMessages(),
            "HighEnoughShellVersion - Begin\r\nHighEnoughShellVersion - End\r\n"
            "HighEnoughColors - Begin\r\nHighEnoughColors - End\r\n");
}

// The user's decimal separator set to a comma for the test, then put back.
class CommaLocale {
 public:
  CommaLocale() : old_(DecimalSeparator()) { ::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, ","); }
  ~CommaLocale() { ::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_.empty() ? "." : old_.c_str()); }
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

 private:
  std::string old_;
};

// Wine's shell reports 6.0: a reading that refuses the text made with the
// comma fails here; one that gets the digits after it wrong is for the
// native tests of the version reading.
TEST(SystemChecks, CommaAsDecimalSeparatorGivesTheSameAnswer) {
  CommaLocale comma;
  ASSERT_EQ(DecimalSeparator(), ",");
  EXPECT_TRUE(mervalis::HighEnoughShellVersion());
}

TEST(SystemChecks, TwoHundredFiftySixColoursFail) {
  NEEDS_DISPLAY(1024, 768, 8);
  ScreenDc screen;
  // Wine gives 8 bits per pixel and 1 plane on the 8-bit X display.
  ASSERT_EQ(::GetDeviceCaps(screen.get(), BITSPIXEL) * ::GetDeviceCaps(screen.get(), PLANES), 8);
  EXPECT_FALSE(mervalis::HighEnoughColors(screen.get()));
}

}  // namespace
