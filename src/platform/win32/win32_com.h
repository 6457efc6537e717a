// COM for the shell objects of the win32 backend, started and ended around each use.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <objbase.h>

namespace drape::platform::win32 {

// COM for the calling thread while one shell object is in use (a link being written, the folder
// chooser). Each start that succeeds is matched by its end, so a thread that had COM running
// before keeps it afterwards, and one that had none is left without.
class ComApartment {
  public:
    ComApartment() {
        // The shell's objects live in a single-threaded apartment, as the program's windows
        // do. A thread that someone else put in the other model can still use them.
        const HRESULT started =
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        started_ = SUCCEEDED(started);
        usable_ = started_ || started == RPC_E_CHANGED_MODE;
    }
    ~ComApartment() {
        if (started_) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool usable() const { return usable_; }

  private:
    bool started_ = false;
    bool usable_ = false;
};

}  // namespace drape::platform::win32
