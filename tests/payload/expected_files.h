// What the Windows tests expect the program to write, taken from the
// requirements and the source tree rather than from the program itself, so a
// wrong constant or a swapped resource in the program shows up.
#pragma once

#include <string>

#include "wine/support.h"

namespace wine_test {

// A file of the source tree, by its path below the tree's root with
// backslashes ("src\\payload\\assets\\fish1_l.gif"), read through Wine's
// drive Z: from this header's own path.
inline std::string SourceTreeFile(const std::string& relative) {
  std::string path = "Z:" + std::string(__FILE__);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return ReadFileBytes(path.substr(0, path.rfind("\\tests\\payload\\")) + "\\" + relative);
}

// The stub page that an apply leaves for this wallpaper: twelve lines, each
// ended by CR LF, naming the runtime control at `controlPath`.
inline std::string ExpectedStubPage(const std::string& controlPath) {
  return "<HTML>\r\n"
         "<HEAD>\r\n"
         "\t<TITLE>Quorvanesoft</TITLE>\r\n"
         "</HEAD>\r\n"
         "<BODY BGCOLOR=\"#000000\" BACKGROUND=\"QVImages/Mervalis/background.bmp\">\r\n"
         "\t<OBJECT\r\n"
         "\t\tCLASSID=\"clsid:A720EFA4-00C8-459A-8762-5CF50F24DA54\"\r\n"
         "\t\tCODEBASE=\"" +
         controlPath +
         "#version=1,0,0,0\"\r\n"
         "\t\tWIDTH=\"0\" HEIGHT=\"0\" HSPACE=\"0\" VSPACE=\"0\"\r\n"
         "\t></OBJECT>\r\n"
         "</BODY>\r\n"
         "</HTML>\r\n";
}

}  // namespace wine_test
