#pragma once
// Threads of the library keep its module loaded while they run, so that unloading the library
// never pulls the code from under one of them, and no unload has to wait for them.

#include <windows.h>

// Like CreateThread; the thread holds a reference to the module that contains this code and
// releases it as its very last step. Null (with the last error set) when it cannot start.
HANDLE CreateLibraryThread(LPTHREAD_START_ROUTINE procedure, void* parameter, DWORD creationFlags);
