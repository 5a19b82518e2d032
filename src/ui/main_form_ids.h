// Control ids of the main window, shared with the tests that drive it.
#pragma once

namespace mervalis::ui {

enum ControlId : int {
  kImgTitle = 1001,
  kImgExtra1,
  kImgExtra2,
  kImgBorder,
  kPnlDone,
  kPnlLicense,
  kPnlInstall,
  kPnlLeft,
  kPnlBG,
  kImgBG,
  kLblWallpaperName,
  kLblMorePapers,
  kLblMessage1,
  kLblMessage2,
  kLblTell,
  kGrpOptions,
  kBtnInstall,
  kOptCenter,
  kOptStretch,
  kChkShowBorder,
  kChkBorderExtra,
  kChkDesktopShortcut,
  kLblReadLicense,
  kMemLicense,
  kChkAcceptLicense,
  kBtnLicenseInstall,
  kLblWallpaperSet,
  kLblDownloadMore,
  kBtnChangeOptions,
  kBtnFinish,
  kLblDesktopNotice,
  kBtnSaveReport,  // beside the notice: `Mervalis.exe report`
};

// The window class and caption, by which the robot finds the window.
inline constexpr char kMainFormClass[] = "TfrmMain";
inline constexpr char kMainFormCaption[] = "Quorvanesoft - Animated Desktop Wallpaper";

}  // namespace mervalis::ui
