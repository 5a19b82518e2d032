// What the Windows tests expect the program to write, taken from the
// requirements and the source tree rather than from the program itself, so a
// wrong constant or a swapped resource in the program shows up.
#pragma once

#include <string>

#include "payload/expected_stub_page.h"
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

using expected::ExpectedStubPage;

}  // namespace wine_test
