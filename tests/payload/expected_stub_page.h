// The stub page as the requirements give it, for the native tests of its
// text and the Windows tests of the file an apply leaves.
#pragma once

#include <string>

namespace expected {

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

}  // namespace expected
