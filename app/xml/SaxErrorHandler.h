#pragma once
// SAX2 error handler that records nothing: a parse failure is known only from the parse result.

#include <windows.h>

#include <msxml2.h>

// COM interfaces have no virtual destructor; objects are destroyed only by their own Release.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class CSaxErrorHandler : public ISAXErrorHandler {
public:
    CSaxErrorHandler() = default;
    CSaxErrorHandler(const CSaxErrorHandler&) = delete;
    CSaxErrorHandler& operator=(const CSaxErrorHandler&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE error(ISAXLocator* pLocator, const wchar_t* pwchErrorMessage,
                                    HRESULT hrErrorCode) override;
    HRESULT STDMETHODCALLTYPE fatalError(ISAXLocator* pLocator, const wchar_t* pwchErrorMessage,
                                         HRESULT hrErrorCode) override;
    HRESULT STDMETHODCALLTYPE ignorableWarning(ISAXLocator* pLocator,
                                               const wchar_t* pwchErrorMessage,
                                               HRESULT hrErrorCode) override;

    virtual ~CSaxErrorHandler() = default;

private:
    LONG m_refCount = 1;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
