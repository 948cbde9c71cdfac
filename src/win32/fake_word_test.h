#pragma once
// What Word hands the add-in: a button whose clicks can be subscribed to,
// and a custom() array as a host may pass it.

#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "host/click.h"
#include "host/object.h"

namespace tarnwell::win32::testing {

class FakeButton : public host::DispatchObject, public host::ClickSource {
 public:
  FakeButton() : DispatchObject("CommandBarButton") {}
  Token OnClick(Handler h) override {
    handlers.emplace_back(next, std::move(h));
    return next++;
  }
  void RemoveClick(Token t) override {
    std::erase_if(handlers, [t](auto& p) { return p.first == t; });
  }
  void Click() override {
    auto now = handlers;
    for (auto& [t, h] : now) h();
  }

  std::vector<std::pair<Token, Handler>> handlers;
  Token next = 1;
};

// An array of VARIANTs as a host may pass custom(): recording no element
// type, only its size, and owning nothing it holds.
inline SAFEARRAY* UntypedVariants(const std::vector<VARIANT>& items) {
  SAFEARRAY* sa = nullptr;
  if (FAILED(SafeArrayAllocDescriptor(1, &sa))) return nullptr;
  sa->fFeatures = 0;
  sa->cbElements = sizeof(VARIANT);
  sa->rgsabound[0] = {static_cast<ULONG>(items.size()), 0};
  if (FAILED(SafeArrayAllocData(sa))) {
    SafeArrayDestroyDescriptor(sa);
    return nullptr;
  }
  std::copy(items.begin(), items.end(), static_cast<VARIANT*>(sa->pvData));
  return sa;
}

}  // namespace tarnwell::win32::testing
