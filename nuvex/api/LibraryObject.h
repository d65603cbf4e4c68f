#pragma once
// The one library object of the process: built on the first export call, destroyed when the
// library is unloaded.

#include "nuvex/api/DeviceList.h"

// Null only when the object cannot be built.
CDeviceList* GetLibraryObject();

// Called when the library is unloaded by FreeLibrary. The library's threads keep the module
// loaded while they run, so none is left here and nothing has to be waited for under the loader
// lock. At process exit the object is left alone: the other threads are gone already.
void DestroyLibraryObject();
