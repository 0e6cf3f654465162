// A stand-in for the WinHttpRequest object: an IDispatch that records every call
// made on it by name and answers the reads with canned values.
//
//   RecordingRequest object;
//   options.RequestObject = &object;
//   HttpRequest(options);
//   EXPECT_THAT(object.Calls(), ElementsAre("call Open('GET', 'http://h/', true)", ...));
//
// Each call is recorded as "<kind> <Member>(<arguments>)", kind being call, get
// or put; texts are quoted (code page 936 bytes), integers and booleans as
// written, byte arrays as bytes[hex ...].
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "text/text.h"

namespace qingqu {

class RecordingRequest final : public IDispatch {
public:
    RecordingRequest();
    RecordingRequest(const RecordingRequest&) = delete;
    RecordingRequest& operator=(const RecordingRequest&) = delete;

    const std::vector<std::string>& Calls() const { return calls_; }
    // Every name passed to GetIDsOfNames, as spelt.
    const std::vector<std::wstring>& LookedUpNames() const { return lookedUp_; }
    ULONG References() const { return references_; }

    Bytes body = {'b', 'o', 'd', 'y'};
    std::wstring headers = L"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n";
    double status = 200.9;  // handed out as VT_R8
    HRESULT sendResult = S_OK;
    // Answers WaitForResponse; by default the reply is in at once.
    std::function<HRESULT(VARIANT_BOOL*)> waitForResponse = [](VARIANT_BOOL* answered) {
        *answered = VARIANT_TRUE;
        return S_OK;
    };

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO*, UINT*) override;

private:
    std::atomic<ULONG> references_{1};
    std::vector<std::string> calls_;
    std::vector<std::wstring> lookedUp_;
};

}  // namespace qingqu
