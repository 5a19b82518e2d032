// quorvanexrun.ocx as a COM server: tested without registration through its
// exports (as COM's loader reaches it), then registered and unregistered with
// regsvr32, which must leave the classes hive as it was.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <map>
#include <string>
#include <vector>

#include "common/win_handles.h"
#include "control/control_ids.h"
#include "control/control_test_support.h"

namespace {

using mervalis::ComPtr;
using quorvanex::CLSID_QuorvaneX;
using quorvanex::DIID_IQuorvaneXEvents;
using quorvanex::IID_IQuorvaneX;
using quorvanex::LIBID_QuorvaneXLib;

std::string GuidText(REFGUID guid) {
  wchar_t wide[40] = {};
  ::StringFromGUID2(guid, wide, 40);
  return std::string(wide, wide + ::lstrlenW(wide));
}

template <typename Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// The control loaded straight from the build folder, unregistered.
class RuntimeControlDll : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(com_.ok());
    module_.reset(::LoadLibraryA(control_test::ControlPath().c_str()));
    ASSERT_TRUE(module_) << control_test::ControlPath();
    getClassObject_ = Export<GetClassObjectFn>(module_.get(), "DllGetClassObject");
    canUnloadNow_ = Export<CanUnloadNowFn>(module_.get(), "DllCanUnloadNow");
    ASSERT_NE(getClassObject_, nullptr);
    ASSERT_NE(canUnloadNow_, nullptr);
  }

  ComPtr<IClassFactory> Factory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(getClassObject_(CLSID_QuorvaneX, IID_IClassFactory, factory.put_void()), S_OK);
    return factory;
  }
  template <typename T>
  ComPtr<T> Create(REFIID iid) {
    ComPtr<T> object;
    if (ComPtr<IClassFactory> factory = Factory()) {
      EXPECT_EQ(factory->CreateInstance(nullptr, iid, object.put_void()), S_OK);
    }
    return object;
  }

  using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();
  mervalis::ComInit com_;
  mervalis::UniqueModule module_;
  GetClassObjectFn getClassObject_ = nullptr;
  CanUnloadNowFn canUnloadNow_ = nullptr;
};

TEST_F(RuntimeControlDll, ExportsItsServerFunctionsAndMakesOnlyItsOwnClass) {
  for (const char* name : {"DllRegisterServer", "DllUnregisterServer"}) {
    EXPECT_NE(::GetProcAddress(module_.get(), name), nullptr) << name;
  }
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(getClassObject_(IID_IQuorvaneX, IID_IClassFactory, factory.put_void()), CLASS_E_CLASSNOTAVAILABLE);
  factory = Factory();
  ASSERT_TRUE(factory);
  ComPtr<IUnknown> outer = Create<IUnknown>(IID_IUnknown);
  ComPtr<IUnknown> object;
  EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, object.put_void()), CLASS_E_NOAGGREGATION);

  // Version 1.0.0.0, as the stub page's CODEBASE asks.
  const std::string path = control_test::ControlPath();
  DWORD ignored = 0;
  std::vector<char> data(::GetFileVersionInfoSizeA(path.c_str(), &ignored));
  ASSERT_FALSE(data.empty());
  ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length));
  EXPECT_EQ(info->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(info->dwFileVersionLS, 0u);
}

TEST_F(RuntimeControlDll, AnswersEveryInterfaceAHostAsksForWithOneIdentity) {
  ComPtr<IUnknown> object = Create<IUnknown>(IID_IUnknown);
  ASSERT_TRUE(object);
  for (const IID* iid : {&IID_IDispatch, &IID_IQuorvaneX, &IID_IOleObject, &IID_IOleControl, &IID_IOleWindow,
                         &IID_IOleInPlaceObject, &IID_IOleInPlaceActiveObject, &IID_IViewObject, &IID_IViewObject2,
                         &IID_IPersist, &IID_IPersistStreamInit, &IID_IPersistPropertyBag, &IID_IProvideClassInfo,
                         &IID_IProvideClassInfo2, &IID_IConnectionPointContainer, &IID_IObjectSafety}) {
    SCOPED_TRACE(GuidText(*iid));
    ComPtr<IUnknown> asked;
    ASSERT_EQ(object->QueryInterface(*iid, asked.put_void()), S_OK);
    // COM identity: IUnknown from any interface is the same pointer.
    ComPtr<IUnknown> identity;
    ASSERT_EQ(asked->QueryInterface(IID_IUnknown, identity.put_void()), S_OK);
    EXPECT_EQ(identity.get(), object.get());
  }
  ComPtr<IUnknown> none;
  EXPECT_EQ(object->QueryInterface(IID_IStorage, none.put_void()), E_NOINTERFACE);
  // Sited before it is loaded, so a browser reaches SetClientSite first.
  ComPtr<IOleObject> ole;
  ASSERT_EQ(object.As(IID_IOleObject, ole), S_OK);
  DWORD misc = 0;
  ASSERT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
  EXPECT_TRUE(misc & OLEMISC_SETCLIENTSITEFIRST);
}

TEST_F(RuntimeControlDll, MayUnloadOnlyWhenNoObjectOrLockIsLeft) {
  EXPECT_EQ(canUnloadNow_(), S_OK);
  ComPtr<IClassFactory> factory = Factory();
  ASSERT_TRUE(factory);
  EXPECT_EQ(canUnloadNow_(), S_FALSE);
  ComPtr<IConnectionPointContainer> object;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IConnectionPointContainer, object.put_void()), S_OK);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.reset();
  // An enumerator handed out keeps its control, and so the DLL, alive.
  ComPtr<IEnumConnectionPoints> points;
  ASSERT_EQ(object->EnumConnectionPoints(points.put()), S_OK);
  object.reset();
  EXPECT_EQ(canUnloadNow_(), S_FALSE);
  points.reset();
  EXPECT_EQ(canUnloadNow_(), S_FALSE);  // the lock
  ASSERT_EQ(Factory()->LockServer(FALSE), S_OK);
  EXPECT_EQ(canUnloadNow_(), S_OK);
}

TEST_F(RuntimeControlDll, TypeInformationComesFromItsOwnLibraryWithTheIdsOfTheCode) {
  ComPtr<IProvideClassInfo2> info = Create<IProvideClassInfo2>(IID_IProvideClassInfo2);
  ASSERT_TRUE(info);
  GUID source = {};
  ASSERT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
  EXPECT_EQ(GuidText(source), GuidText(DIID_IQuorvaneXEvents));
  ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(info->GetClassInfo(coclass.put()), S_OK);
  ComPtr<ITypeLib> library;
  UINT index = 0;
  ASSERT_EQ(coclass->GetContainingTypeLib(library.put(), &index), S_OK);
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
  EXPECT_EQ(GuidText(attributes->guid), GuidText(LIBID_QuorvaneXLib));
  EXPECT_EQ(attributes->wMajorVerNum, 1);
  EXPECT_EQ(attributes->wMinorVerNum, 0);
  library->ReleaseTLibAttr(attributes);
  BSTR doc = nullptr;
  ASSERT_EQ(library->GetDocumentation(-1, nullptr, &doc, nullptr, nullptr), S_OK);
  EXPECT_STREQ(doc, L"Quorvane Runtime Library");
  ::SysFreeString(doc);
  // Its three types under the ids the code uses; IDispatch stays in stdole2.
  EXPECT_EQ(library->GetTypeInfoCount(), 3u);
  for (const auto& [guid, expected] : {std::pair{&CLSID_QuorvaneX, L"QuorvaneX"}, std::pair{&IID_IQuorvaneX, L"IQuorvaneX"},
                                       std::pair{&DIID_IQuorvaneXEvents, L"IQuorvaneXEvents"}}) {
    ComPtr<ITypeInfo> type;
    ASSERT_EQ(library->GetTypeInfoOfGuid(*guid, type.put()), S_OK) << GuidText(*guid);
    BSTR name = nullptr;
    ASSERT_EQ(type->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, expected);
    ::SysFreeString(name);
  }
  // IDispatch works unregistered and has no members.
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(info.As(IID_IDispatch, dispatch), S_OK);
  wchar_t memberName[] = L"Apply";
  LPOLESTR names[] = {memberName};
  DISPID id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
  DISPPARAMS none = {};
  EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
}

TEST_F(RuntimeControlDll, IsSafeForScriptingAndInitialisingOnItsOwnInterfaces) {
  ComPtr<IObjectSafety> safety = Create<IObjectSafety>(IID_IObjectSafety);
  ASSERT_TRUE(safety);
  constexpr DWORD kBoth = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
  DWORD supported = 0;
  DWORD enabled = 1;
  ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
  EXPECT_EQ(supported, kBoth);
  EXPECT_EQ(enabled, 0u);  // nothing promised until the host asks
  for (const IID* iid : {&IID_IDispatch, &IID_IPersistStreamInit, &IID_IPersistPropertyBag}) {
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(*iid, kBoth, kBoth), S_OK) << GuidText(*iid);
  }
  ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IQuorvaneX, &supported, &enabled), S_OK);
  EXPECT_EQ(enabled, kBoth);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACE_USES_DISPEX, INTERFACE_USES_DISPEX), E_FAIL);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IStorage, kBoth, kBoth), E_NOINTERFACE);
}

// An event sink that only counts its references.
class CountingSink final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) ? this : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  ULONG refs = 1;  // the test's own
};

TEST_F(RuntimeControlDll, EventConnectionPointHoldsSinksUntilUnadvisedOrDestroyed) {
  ComPtr<IConnectionPointContainer> container = Create<IConnectionPointContainer>(IID_IConnectionPointContainer);
  ASSERT_TRUE(container);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, point.put()), CONNECT_E_NOCONNECTION);
  ASSERT_EQ(container->FindConnectionPoint(DIID_IQuorvaneXEvents, point.put()), S_OK);

  CountingSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  EXPECT_GT(sink.refs, 1u);
  ComPtr<IEnumConnections> connections;
  ASSERT_EQ(point->EnumConnections(connections.put()), S_OK);
  CONNECTDATA data[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(connections->Next(2, data, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(data[0].dwCookie, cookie);
  data[0].pUnk->Release();
  connections.reset();
  ASSERT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(sink.refs, 1u);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);

  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  point.reset();
  container.reset();
  EXPECT_EQ(sink.refs, 1u);
}

// A minimal client site with a window, as hosts give.
class TestSite final : public IOleClientSite, public IOleWindow {
 public:
  explicit TestSite(HWND window) : window_(window) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) *out = static_cast<IOleClientSite*>(this);
    if (IsEqualIID(iid, IID_IOleWindow)) *out = static_cast<IOleWindow*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  // The family's page, as the control asks hosts to tell.
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    return ::CreateFileMoniker(L"C:\\x\\Quorvane - Mervalis.html", moniker);
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  ULONG refs = 1;

 private:
  HWND window_;
};

TEST_F(RuntimeControlDll, FirstSiteRunsTheCreationHandlerOnceOnly) {
  control_test::StoredWallpaper wallpaper("C:\\somewhere\\Other Page.html");
  active_desktop_fixture::ClearCalls();
  mervalis::UniqueWindow hostWindow(
      ::CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(hostWindow);
  TestSite first(hostWindow.get());
  TestSite second(hostWindow.get());
  ComPtr<IOleObject> ole = Create<IOleObject>(IID_IOleObject);
  ASSERT_TRUE(ole);

  control_test::BoxAnswerer answerer;  // the box blocks this thread until answered
  for (IOleClientSite* site : {static_cast<IOleClientSite*>(nullptr), static_cast<IOleClientSite*>(&first),
                               static_cast<IOleClientSite*>(&second), static_cast<IOleClientSite*>(nullptr),
                               static_cast<IOleClientSite*>(&first), static_cast<IOleClientSite*>(nullptr)}) {
    EXPECT_EQ(ole->SetClientSite(site), S_OK);
  }
  const auto& boxes = answerer.Stop();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Invalid Wallpaper (Error 1002)");
  EXPECT_EQ(boxes[0].buttons, std::vector<std::string>{"OK"});
  EXPECT_TRUE(boxes[0].hasIcon);
  EXPECT_EQ(boxes[0].owner, hostWindow.get());  // modal to the host's window
  // One question to the Active Desktop: 260 characters, reserved 0, released.
  EXPECT_EQ(active_desktop_fixture::ReadAndClearCalls(),
            (std::vector<std::string>{"Create", "GetWallpaper|260|0", "Destroy"}));
  ole.reset();
  EXPECT_EQ(first.refs, 1u);
  EXPECT_EQ(second.refs, 1u);
}

// ---- Registration through regsvr32 ----

// Every key and value of both classes hives ("key" or "key|value" -> data).
using Snapshot = std::map<std::string, std::string>;

void AddTree(HKEY key, const std::string& path, Snapshot& out) {
  out[path] = "";
  char name[16384];
  BYTE data[8192];
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = sizeof(name);
    DWORD dataLength = sizeof(data);
    DWORD type = 0;
    const LONG status = ::RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &dataLength);
    if (status == ERROR_NO_MORE_ITEMS) break;
    out[path + "|" + std::string(name, nameLength)] =
        status == ERROR_SUCCESS ? std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), dataLength)
                                : "unreadable";
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = 256;
    if (::RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    mervalis::UniqueHkey child;
    if (::RegOpenKeyExA(key, name, 0, KEY_READ, child.put()) == ERROR_SUCCESS) {
      AddTree(child.get(), path + "\\" + name, out);
    }
  }
}

Snapshot ClassesSnapshot() {
  Snapshot out;
  for (const auto& [root, name] : {std::pair{HKEY_LOCAL_MACHINE, "HKLM"}, std::pair{HKEY_CURRENT_USER, "HKCU"}}) {
    mervalis::UniqueHkey classes;
    if (::RegOpenKeyExA(root, "Software\\Classes", 0, KEY_READ, classes.put()) == ERROR_SUCCESS) {
      AddTree(classes.get(), std::string(name) + "\\Software\\Classes", out);
    }
  }
  return out;
}

// Lines added, changed ("~") or gone ("-") from `before` to `after`.
std::vector<std::string> Changes(const Snapshot& before, const Snapshot& after) {
  std::vector<std::string> changes;
  for (const auto& [line, value] : after) {
    const auto old = before.find(line);
    if (old == before.end()) changes.push_back("+ " + line);
    if (old != before.end() && old->second != value) changes.push_back("~ " + line);
  }
  for (const auto& [line, value] : before) {
    if (!after.count(line)) changes.push_back("- " + line);
  }
  return changes;
}

// A new line below one of the keys that belong to the control.
bool IsOwnAddition(const std::string& change) {
  if (change[0] != '+') return false;
  const std::string line = change.substr(2);
  for (const std::string& key : {"CLSID\\" + GuidText(CLSID_QuorvaneX), "TypeLib\\" + GuidText(LIBID_QuorvaneXLib),
                                 "Interface\\" + GuidText(IID_IQuorvaneX),
                                 "Interface\\" + GuidText(DIID_IQuorvaneXEvents), std::string("QuorvaneXLib.QuorvaneX"),
                                 std::string("QuorvaneXLib.QuorvaneX.1")}) {
    const std::string prefix = "HKLM\\Software\\Classes\\" + key;
    if (line.size() >= prefix.size() && ::lstrcmpiA(line.substr(0, prefix.size()).c_str(), prefix.c_str()) == 0 &&
        (line.size() == prefix.size() || line[prefix.size()] == '\\' || line[prefix.size()] == '|')) {
      return true;
    }
  }
  return false;
}

std::string Listing(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size() && i < 40; ++i) text += lines[i] + "\n";
  return text;
}

TEST(RuntimeControlRegistration, Regsvr32WritesOnlyItsOwnEntriesAndUnregisteringRemovesThemAll) {
  wine_test::SetTestTimeLimit(120000);
  struct Unregister {
    ~Unregister() { (void)control_test::RunRegsvr32("/s /u"); }
  } unregisterAtEnd;
  // Start from a machine without the control (an install earlier in the run
  // may have registered its copy).
  ASSERT_EQ(control_test::RunRegsvr32("/s /u"), 0);
  const Snapshot before = ClassesSnapshot();
  ASSERT_FALSE(before.count("HKLM\\Software\\Classes\\CLSID\\" + GuidText(CLSID_QuorvaneX)));
  ASSERT_EQ(control_test::RunRegsvr32("/s"), 0);
  const Snapshot registered = ClassesSnapshot();

  std::vector<std::string> foreign;
  for (const std::string& change : Changes(before, registered)) {
    if (!IsOwnAddition(change)) foreign.push_back(change);
  }
  EXPECT_TRUE(foreign.empty()) << "changed beyond the control's own entries:\n" << Listing(foreign);
  const std::string cls = "HKLM\\Software\\Classes\\CLSID\\" + GuidText(CLSID_QuorvaneX);
  const std::string server = registered.count(cls + "\\InprocServer32|") ? registered.at(cls + "\\InprocServer32|") : "";
  EXPECT_EQ(::lstrcmpiA(server.c_str(), ("1:" + control_test::ControlPath()).c_str()), 0) << server;
  EXPECT_EQ(registered.count(cls + "\\InprocServer32|ThreadingModel") ? registered.at(cls + "\\InprocServer32|ThreadingModel") : "",
            std::string("1:Apartment") + '\0');
  for (const char* category : {"{40FC6ED4-2438-11CF-A3DB-080036F12502}", "{7DD95801-9882-11CF-9FA9-00AA006C42C4}",
                               "{7DD95802-9882-11CF-9FA9-00AA006C42C4}"}) {
    EXPECT_TRUE(registered.count(cls + "\\Implemented Categories\\" + category)) << category;
  }
  {
    mervalis::ComInit com;
    ComPtr<ITypeLib> library;
    EXPECT_EQ(::LoadRegTypeLib(LIBID_QuorvaneXLib, 1, 0, 0, library.put()), S_OK);
    // Created the way a browser does, by class id alone.
    ComPtr<IOleObject> object;
    EXPECT_EQ(::CoCreateInstance(CLSID_QuorvaneX, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object.put_void()),
              S_OK);
    CLSID fromProgId = {};
    EXPECT_EQ(::CLSIDFromProgID(L"QuorvaneXLib.QuorvaneX", &fromProgId), S_OK);
    EXPECT_EQ(GuidText(fromProgId), GuidText(CLSID_QuorvaneX));
  }

  ASSERT_EQ(control_test::RunRegsvr32("/s"), 0);
  EXPECT_TRUE(Changes(registered, ClassesSnapshot()).empty()) << "registering twice differs";
  ASSERT_EQ(control_test::RunRegsvr32("/s /u"), 0);
  const std::vector<std::string> left = Changes(before, ClassesSnapshot());
  EXPECT_TRUE(left.empty()) << "left after unregistering:\n" << Listing(left);
  // Unregistering what is not registered is no error and touches nothing.
  EXPECT_EQ(control_test::RunRegsvr32("/s /u"), 0);
  EXPECT_TRUE(Changes(before, ClassesSnapshot()).empty());
}

}  // namespace
