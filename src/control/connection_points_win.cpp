#include "control/connection_points_win.h"

#include <olectl.h>

#include <algorithm>

#include "control/control_ids.h"

namespace quorvanex {

namespace {

// How an enumerator copies its items out: an interface pointer or a
// CONNECTDATA, each with a reference of its own.
struct InterfaceItem {
  template <typename Interface>
  static void Hold(Interface* item) noexcept { item->AddRef(); }
  template <typename Interface>
  static void Drop(Interface* item) noexcept { item->Release(); }
};
struct ConnectionItem {
  static void Hold(const CONNECTDATA& item) noexcept { item.pUnk->AddRef(); }
  static void Drop(const CONNECTDATA& item) noexcept { item.pUnk->Release(); }
};

// IEnumXxx over a snapshot of items taken when it was made.
template <typename EnumInterface, typename Item, typename Policy, const IID& kIid>
class Enumerator final : public ComObject<EnumInterface> {
 public:
  // Takes its own reference to each item.
  explicit Enumerator(std::vector<Item> items, size_t next = 0)
      : items_(std::move(items)), next_(next) {
    for (const Item& item : items_) Policy::Hold(item);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIid)) {
      return HandOut(static_cast<EnumInterface*>(this), out);
    }
    return E_NOINTERFACE;
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, Item* items, ULONG* fetched) noexcept override {
    if (!items || (!fetched && wanted != 1)) return E_POINTER;
    ULONG given = 0;
    while (given < wanted && next_ < items_.size()) {
      items[given] = items_[next_++];
      Policy::Hold(items[given]);
      ++given;
    }
    if (fetched) *fetched = given;
    return given == wanted ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) noexcept override {
    const size_t left = items_.size() - next_;
    next_ += std::min<size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() noexcept override {
    next_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(EnumInterface** out) noexcept override {
    if (!out) return E_POINTER;
    *out = nullptr;
    *out = new Enumerator(items_, next_);
    return S_OK;
  }

 private:
  ~Enumerator() override {
    for (const Item& item : items_) Policy::Drop(item);
  }

  std::vector<Item> items_;
  size_t next_;
};

using ConnectionPointEnumerator =
    Enumerator<IEnumConnectionPoints, IConnectionPoint*, InterfaceItem, IID_IEnumConnectionPoints>;
using ConnectionEnumerator =
    Enumerator<IEnumConnections, CONNECTDATA, ConnectionItem, IID_IEnumConnections>;

}  // namespace

EventConnectionPoint::~EventConnectionPoint() { DisconnectAll(); }

void EventConnectionPoint::DisconnectAll() noexcept {
  std::vector<CONNECTDATA> sinks;
  sinks.swap(sinks_);  // a sink's Release may call back into Unadvise
  for (const CONNECTDATA& sink : sinks) sink.pUnk->Release();
}

HRESULT EventConnectionPoint::QueryInterface(REFIID iid, void** out) noexcept {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
    return HandOut(static_cast<IConnectionPoint*>(this), out);
  }
  return E_NOINTERFACE;
}

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid) noexcept {
  if (!iid) return E_POINTER;
  *iid = DIID_IQuorvaneXEvents;
  return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(
    IConnectionPointContainer** container) noexcept {
  if (!container) return E_POINTER;
  owner_.AddRef();
  *container = &owner_;
  return S_OK;
}

HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) noexcept {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  // A sink must speak the events interface, or plain IDispatch as script
  // engines' sinks do.
  IUnknown* held = nullptr;
  if (FAILED(sink->QueryInterface(DIID_IQuorvaneXEvents, reinterpret_cast<void**>(&held))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&held)))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  sinks_.push_back(CONNECTDATA{held, ++lastCookie_});
  *cookie = lastCookie_;
  return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) noexcept {
  const auto found = std::find_if(sinks_.begin(), sinks_.end(),
                                  [cookie](const CONNECTDATA& c) { return c.dwCookie == cookie; });
  if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
  IUnknown* sink = found->pUnk;
  sinks_.erase(found);
  sink->Release();
  return S_OK;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** connections) noexcept {
  if (!connections) return E_POINTER;
  *connections = nullptr;
  *connections = new ConnectionEnumerator(sinks_);
  return S_OK;
}

HRESULT CreateConnectionPointEnumerator(IConnectionPoint* point,
                                        IEnumConnectionPoints** out) noexcept {
  if (!out) return E_POINTER;
  *out = nullptr;
  *out = new ConnectionPointEnumerator(std::vector<IConnectionPoint*>{point});
  return S_OK;
}

}  // namespace quorvanex
