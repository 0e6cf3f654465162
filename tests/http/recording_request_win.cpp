#include "tests/http/recording_request_win.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "text/wide_win.h"

namespace qingqu {

namespace {

// The members of WinHttpRequest that the request routine uses, by DISPID - 1.
constexpr const wchar_t* kMembers[] = {
    L"SetTimeouts",           L"SetProxy", L"SetCredentials",  L"Open",  L"Option",
    L"SetRequestHeader",      L"Send",     L"WaitForResponse", L"Abort", L"ResponseBody",
    L"GetAllResponseHeaders", L"Status",
};

std::string Describe(const VARIANT& value) {
    switch (V_VT(&value)) {
        case VT_BSTR: {
            const BSTR text = V_BSTR(&value);
            std::string quoted = "'";
            quoted.append(WideToText(std::wstring_view(text, text ? SysStringLen(text) : 0)));
            quoted.push_back('\'');
            return quoted;
        }
        case VT_I4: return std::to_string(V_I4(&value));
        case VT_BOOL: return V_BOOL(&value) ? "true" : "false";
        case VT_ARRAY | VT_UI1: {
            SAFEARRAY* array = V_ARRAY(&value);
            std::string described = "bytes[";
            void* data = nullptr;
            if (array && SUCCEEDED(SafeArrayAccessData(array, &data))) {
                const auto* bytes = static_cast<const unsigned char*>(data);
                for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) {
                    char hex[4];
                    std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", bytes[i]);
                    described += hex;
                }
                SafeArrayUnaccessData(array);
            }
            return described + "]";
        }
        default: return "vt" + std::to_string(V_VT(&value));
    }
}

const char* KindWord(WORD flags) {
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return "put";
    if (flags == DISPATCH_PROPERTYGET) return "get";
    return "call";
}

}  // namespace

RecordingRequest::RecordingRequest() = default;

HRESULT RecordingRequest::QueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG RecordingRequest::AddRef() {
    return ++references_;
}

// Lives on the test's stack: the count is only watched, never acted on.
ULONG RecordingRequest::Release() {
    return --references_;
}

HRESULT RecordingRequest::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

HRESULT RecordingRequest::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT RecordingRequest::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (count != 1) return E_INVALIDARG;
    lookedUp_.emplace_back(names[0]);
    for (DISPID i = 0; i < DISPID(std::size(kMembers)); ++i) {
        if (CompareStringOrdinal(names[0], -1, kMembers[i], -1, TRUE) == CSTR_EQUAL) {
            ids[0] = i + 1;
            return S_OK;
        }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT RecordingRequest::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                 VARIANT* result, EXCEPINFO*, UINT*) {
    if (id < 1 || id > DISPID(std::size(kMembers))) return DISP_E_MEMBERNOTFOUND;
    const std::wstring_view member = kMembers[id - 1];
    std::string call = KindWord(flags);
    call.push_back(' ');
    call.append(WideToText(member));
    call.push_back('(');
    // Invoke gets its arguments last to first.
    for (UINT i = parameters->cArgs; i > 0; --i) {
        call += Describe(parameters->rgvarg[i - 1]);
        if (i > 1) call += ", ";
    }
    call.push_back(')');
    calls_.push_back(call);

    if (result) VariantInit(result);
    if (member == L"Send") return sendResult;
    if (member == L"WaitForResponse") {
        VARIANT_BOOL answered = VARIANT_FALSE;
        const HRESULT hr = waitForResponse(&answered);
        if (result && SUCCEEDED(hr)) {
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = answered;
        }
        return hr;
    }
    if (!result) return S_OK;
    if (member == L"ResponseBody") {
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, ULONG(body.size()));
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        if (!body.empty()) std::memcpy(data, body.data(), body.size());
        SafeArrayUnaccessData(array);
        V_VT(result) = VT_ARRAY | VT_UI1;
        V_ARRAY(result) = array;
    } else if (member == L"GetAllResponseHeaders") {
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = SysAllocStringLen(headers.data(), UINT(headers.size()));
    } else if (member == L"Status") {
        V_VT(result) = VT_R8;
        V_R8(result) = status;
    }
    return S_OK;
}

}  // namespace qingqu
