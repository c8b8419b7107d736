// The common part of the program's small COM objects that implement one
// interface: a thread-safe reference count that deletes the object at zero,
// and QueryInterface over a list of interface ids. Windows only.
#pragma once

#include <unknwn.h>

#include <atomic>
#include <initializer_list>

namespace vt::shell {

template <typename Interface>
class ComObject : public Interface {
  public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

  protected:
    ComObject() = default;
    virtual ~ComObject() = default;

    // QueryInterface for IUnknown and the given ids: this object with a
    // reference added, or E_NOINTERFACE and a cleared output.
    HRESULT Answer(REFIID id, std::initializer_list<IID> ids, void** object) {
        if (object == nullptr)
            return E_POINTER;
        bool known = IsEqualIID(id, IID_IUnknown);
        for (const IID& each : ids)
            known = known || IsEqualIID(id, each);
        if (!known) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }

  private:
    std::atomic<ULONG> references_{1};
};

}  // namespace vt::shell
