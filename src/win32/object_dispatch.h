#pragma once
// IDispatch over any host::Object: how our objects cross into COM (the test
// host's Word dressed from host::DispatchObject, the custom() arrays of
// objects). Member names get DISPIDs on first request; a HostError returns
// through EXCEPINFO with its number. A ClickSource also offers a connection
// point for the command bar button's event interface.

#include <windows.h>
#include <oaidl.h>

#include "host/object.h"

namespace tarnwell::win32 {

// An IDispatch (one reference, the caller's) for an object: a bridged COM
// object gives back its own IDispatch.
IDispatch* DispatchFor(const host::ObjectPtr& object);

// The host::Object behind one of our adapters, or nothing for a foreign
// IDispatch.
host::ObjectPtr AdaptedObject(IDispatch* dispatch);

}  // namespace tarnwell::win32
