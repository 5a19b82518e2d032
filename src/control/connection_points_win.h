// The control's one connection point, for IQuorvaneXEvents, and the two
// enumerators that IConnectionPointContainer and IConnectionPoint hand out.
// The control fires no events; hosts still expect to connect their sinks.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <utility>
#include <vector>

#include "control/com_object.h"

namespace quorvanex {

// Lives inside the control and shares its reference count: a host holding the
// connection point keeps the control alive.
class EventConnectionPoint final : public IConnectionPoint {
 public:
  explicit EventConnectionPoint(IConnectionPointContainer& owner) noexcept : owner_(owner) {}
  EventConnectionPoint(const EventConnectionPoint&) = delete;
  EventConnectionPoint& operator=(const EventConnectionPoint&) = delete;
  ~EventConnectionPoint();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return owner_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() noexcept override { return owner_.Release(); }

  // IConnectionPoint
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) noexcept override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(
      IConnectionPointContainer** container) noexcept override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) noexcept override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) noexcept override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) noexcept override;

  // Lets go of every sink (when the control closes).
  void DisconnectAll() noexcept;

 private:
  IConnectionPointContainer& owner_;
  std::vector<CONNECTDATA> sinks_;  // each sink held with one reference
  DWORD lastCookie_ = 0;
};

// A new enumerator over the one connection point, positioned at its start.
[[nodiscard]] HRESULT CreateConnectionPointEnumerator(IConnectionPoint* point,
                                                      IEnumConnectionPoints** out) noexcept;

}  // namespace quorvanex
