// Ids of the runtime control and its type library. They repeat those of
// quorvanex.idl (widl's C header cannot be used without OLE's .idl files);
// a test loads the built type library and checks that they agree.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "common/guid_text.h"
#include "common/product_names.h"

namespace quorvanex {

// The class that the stub page embeds.
inline constexpr CLSID CLSID_QuorvaneX = mervalis::GuidFromText(mervalis::kRuntimeControlClassId);
// Library QuorvaneXLib, version 1.0.
inline constexpr GUID LIBID_QuorvaneXLib = mervalis::GuidFromText("DCEA1599-F805-4909-843C-2395B9EDD524");
inline constexpr WORD kTypeLibMajor = 1;
inline constexpr WORD kTypeLibMinor = 0;
// The control's dual interface.
inline constexpr IID IID_IQuorvaneX = mervalis::GuidFromText("C673FE7D-2F1A-4667-8862-7CE65CC32BF4");
// Its events (none are ever fired).
inline constexpr IID DIID_IQuorvaneXEvents = mervalis::GuidFromText("4A6583EE-775F-465A-BDF7-86EB5E6EF912");

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
