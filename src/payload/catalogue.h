// The payload: the items the program carries and the files they become.
#pragma once

#include <array>
#include <string_view>

#include "payload/resource_ids.h"

namespace mervalis {

struct PayloadPicture {
  int id;
  std::string_view fileName;  // in the images folder
};

// The pictures of the page, in the order in which they are written.
inline constexpr std::array<PayloadPicture, 16> kPayloadPictures = {{
    {103, "fish1_l.gif"}, {104, "fish1_r.gif"}, {105, "fish2_l.gif"}, {106, "fish2_r.gif"},
    {107, "fish3_l.gif"}, {108, "fish3_r.gif"}, {109, "fish4_l.gif"}, {110, "fish4_r.gif"},
    {111, "bubble1.png"}, {112, "bubble2.png"}, {113, "bubble1.gif"}, {114, "bubble2.gif"},
    {115, "fish5_l.gif"}, {116, "fish5_r.gif"}, {117, "fish6_l.gif"}, {118, "fish6_r.gif"},
}};

}  // namespace mervalis
