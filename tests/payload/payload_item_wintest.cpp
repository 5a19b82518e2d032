// The lookup of payload items in the built program: raw-data items only, each
// with its bytes as the source tree holds them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "payload/expected_files.h"
#include "payload/payload_item_win.h"
#include "wine/support.h"

namespace {

using mervalis::FindPayloadItem;
using mervalis::PayloadLookup;

TEST(PayloadItem, FindsRawDataItemsByteForByteAndNothingElse) {
  HMODULE program = ::LoadLibraryExA(wine_test::ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  struct Case {
    int id;
    PayloadLookup lookup;
    const char* sourceFile;  // the item's bytes; null for an item not found
  };
  const Case cases[] = {
      {119, PayloadLookup::kFound, "src\\payload\\page\\template.html"},
      {103, PayloadLookup::kFound, "src\\payload\\assets\\fish1_l.gif"},
      {118, PayloadLookup::kFound, "src\\payload\\assets\\fish6_r.gif"},
      {204, PayloadLookup::kFound, "src\\ui\\assets\\license.txt"},
      {102, PayloadLookup::kNotFound, nullptr},  // between the control and the first picture
      {1, PayloadLookup::kNotFound, nullptr},    // the icon, not raw data
      {301, PayloadLookup::kNotFound, nullptr},  // a bitmap, not raw data
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const mervalis::PayloadItem item = FindPayloadItem(program, c.id);
    EXPECT_EQ(item.lookup, c.lookup);
    const std::string bytes(reinterpret_cast<const char*>(item.bytes.data()), item.bytes.size());
    EXPECT_EQ(bytes, c.sourceFile ? wine_test::SourceTreeFile(c.sourceFile) : std::string());
  }
  ::FreeLibrary(program);
}

}  // namespace
