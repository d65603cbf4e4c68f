#include "app/xml/SaxErrorHandler.h"

#include "app/xml/SaxInterfaceIds.h"

HRESULT STDMETHODCALLTYPE CSaxErrorHandler::QueryInterface(REFIID riid, void** ppvObject) {
    if (ppvObject == nullptr)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidSaxErrorHandler)) {
        *ppvObject = static_cast<ISAXErrorHandler*>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CSaxErrorHandler::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

ULONG STDMETHODCALLTYPE CSaxErrorHandler::Release() {
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

HRESULT STDMETHODCALLTYPE CSaxErrorHandler::error(ISAXLocator*, const wchar_t*, HRESULT) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CSaxErrorHandler::fatalError(ISAXLocator*, const wchar_t*, HRESULT) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CSaxErrorHandler::ignorableWarning(ISAXLocator*, const wchar_t*,
                                                             HRESULT) {
    return S_OK;
}
