// The GDI owners and the selection guard: an object is deselected before its
// owner deletes it, so the delete succeeds and nothing leaks.
#include <gtest/gtest.h>

#include <windows.h>

#include <type_traits>

#include "common/win_handles.h"

namespace {

// A font cannot be handed to the owner of a bitmap or a brush, nor the other way round.
static_assert(!std::is_constructible_v<mervalis::UniqueFont, HBITMAP>);
static_assert(!std::is_constructible_v<mervalis::UniqueBitmap, HBRUSH>);
static_assert(!std::is_constructible_v<mervalis::UniqueBrush, HFONT>);

TEST(GdiOwners, SelectedObjectPutsThePreviousOneBackSoTheOwnerCanDeleteIt) {
  mervalis::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  const HGDIOBJ originalBitmap = ::GetCurrentObject(dc.get(), OBJ_BITMAP);
  const HGDIOBJ originalFont = ::GetCurrentObject(dc.get(), OBJ_FONT);
  mervalis::UniqueBitmap bitmap(::CreateBitmap(4, 4, 1, 1, nullptr));
  mervalis::UniqueFont font(::CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                          DEFAULT_PITCH | FF_SWISS, "Arial"));
  ASSERT_TRUE(bitmap && font);
  const HBITMAP bitmapHandle = bitmap.get();
  const HFONT fontHandle = font.get();
  {
    const mervalis::SelectedObject selectedBitmap(dc.get(), bitmapHandle);
    const mervalis::SelectedObject selectedFont(dc.get(), fontHandle);
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), bitmapHandle);
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), fontHandle);
  }
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), originalBitmap);
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), originalFont);
  bitmap.reset();
  font.reset();
  EXPECT_EQ(::GetObjectType(bitmapHandle), 0u) << "the bitmap was not deleted";
  EXPECT_EQ(::GetObjectType(fontHandle), 0u) << "the font was not deleted";
}

}  // namespace
