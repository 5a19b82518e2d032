// Ids of the runtime control and its type library. They repeat those of
// quorvanex.idl (widl's C header cannot be used without OLE's .idl files);
// a test loads the built type library and checks that they agree.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace quorvanex {

// {A720EFA4-00C8-459A-8762-5CF50F24DA54}: the class that the stub page embeds.
inline constexpr CLSID CLSID_QuorvaneX = {
    0xA720EFA4, 0x00C8, 0x459A, {0x87, 0x62, 0x5C, 0xF5, 0x0F, 0x24, 0xDA, 0x54}};
// {DCEA1599-F805-4909-843C-2395B9EDD524}: library QuorvaneXLib, version 1.0.
inline constexpr GUID LIBID_QuorvaneXLib = {
    0xDCEA1599, 0xF805, 0x4909, {0x84, 0x3C, 0x23, 0x95, 0xB9, 0xED, 0xD5, 0x24}};
inline constexpr WORD kTypeLibMajor = 1;
inline constexpr WORD kTypeLibMinor = 0;
// {C673FE7D-2F1A-4667-8862-7CE65CC32BF4}: the control's dual interface.
inline constexpr IID IID_IQuorvaneX = {
    0xC673FE7D, 0x2F1A, 0x4667, {0x88, 0x62, 0x7C, 0xE6, 0x5C, 0xC3, 0x2B, 0xF4}};
// {4A6583EE-775F-465A-BDF7-86EB5E6EF912}: its events (none are ever fired).
inline constexpr IID DIID_IQuorvaneXEvents = {
    0x4A6583EE, 0x775F, 0x465A, {0xBD, 0xF7, 0x86, 0xEB, 0x5E, 0x6E, 0xF9, 0x12}};

// The page calls nothing, so the interface adds nothing to IDispatch.
struct IQuorvaneX : public IDispatch {};

// Category ids written under "Implemented Categories": an ActiveX control,
// safe for scripting, safe for initialising.
inline constexpr wchar_t kCatidControl[] = L"{40FC6ED4-2438-11CF-A3DB-080036F12502}";
inline constexpr wchar_t kCatidSafeForScripting[] = L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
inline constexpr wchar_t kCatidSafeForInitializing[] = L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}";

inline constexpr wchar_t kControlName[] = L"QuorvaneX Control";
inline constexpr wchar_t kProgId[] = L"QuorvaneXLib.QuorvaneX.1";
inline constexpr wchar_t kVersionIndependentProgId[] = L"QuorvaneXLib.QuorvaneX";

// OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT
// | OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE: sited before it is
// loaded, so the creation handler runs before anything else the host asks.
inline constexpr DWORD kMiscStatus = 0x20000 | 0x100 | 0x80 | 0x10 | 0x1;

}  // namespace quorvanex
