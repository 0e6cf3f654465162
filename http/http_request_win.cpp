#include "http/http_request.h"

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "http/cookies.h"
#include "http/headers.h"
#include "text/scoped_win.h"
#include "text/wide_win.h"

namespace qingqu {

namespace {

constexpr wchar_t kRequestProgId[] = L"WinHttp.WinHttpRequest.5.1";
constexpr int kProxySettingProxy = 2;      // HTTPREQUEST_PROXYSETTING_PROXY
constexpr int kCredentialsForProxy = 1;    // HTTPREQUEST_SETCREDENTIALS_FOR_PROXY
constexpr int kOptionEnableRedirects = 6;  // WinHttpRequestOption_EnableRedirects
constexpr int kWaitSliceSeconds = 1;

ScopedVariant TextArgument(std::string_view text) {
    const std::wstring wide = TextToWide(text);
    ScopedVariant argument;
    VARIANT* v = argument.Receive();
    V_VT(v) = VT_BSTR;
    V_BSTR(v) = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return argument;
}

ScopedVariant IntArgument(int value) {
    ScopedVariant argument;
    VARIANT* v = argument.Receive();
    V_VT(v) = VT_I4;
    V_I4(v) = value;
    return argument;
}

ScopedVariant BoolArgument(bool value) {
    ScopedVariant argument;
    VARIANT* v = argument.Receive();
    V_VT(v) = VT_BOOL;
    V_BOOL(v) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return argument;
}

// A one-dimensional array of unsigned bytes (VT_ARRAY | VT_UI1); empty when the
// array cannot be made.
ScopedVariant BytesArgument(const Bytes& bytes) {
    ScopedVariant argument;
    if (bytes.size() > ULONG_MAX) return argument;
    ScopedSafeArray array(SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size())));
    void* data = nullptr;
    if (!array.IsValid() || FAILED(SafeArrayAccessData(array.Get(), &data))) return argument;
    std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array.Get());
    VARIANT* v = argument.Receive();
    V_VT(v) = VT_ARRAY | VT_UI1;
    V_ARRAY(v) = array.Release();
    return argument;
}

// The bytes of a VARIANT holding a one-dimensional byte array; empty for anything else.
Bytes BytesFromVariant(const VARIANT& value) {
    if (V_VT(&value) != (VT_ARRAY | VT_UI1) || V_ARRAY(&value) == nullptr) return {};
    SAFEARRAY* array = V_ARRAY(&value);
    LONG lower = 0;
    LONG upper = -1;
    if (SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
        FAILED(SafeArrayGetUBound(array, 1, &upper)) || upper < lower)
        return {};
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return {};
    const auto* first = static_cast<const std::uint8_t*>(data);
    Bytes bytes(first, first + (static_cast<std::size_t>(upper) - lower + 1));
    SafeArrayUnaccessData(array);
    return bytes;
}

// VariantChangeType leaves its source alone when it writes elsewhere; its
// declaration just lacks the const.
HRESULT ConvertVariant(const VARIANT& value, VARTYPE type, ScopedVariant& converted) {
    return VariantChangeType(converted.Receive(), const_cast<VARIANT*>(&value), 0, type);
}

Text TextFromVariant(const VARIANT& value) {
    ScopedVariant converted;
    if (FAILED(ConvertVariant(value, VT_BSTR, converted)) || V_BSTR(&converted.Get()) == nullptr)
        return {};
    const BSTR text = V_BSTR(&converted.Get());
    return WideToText(std::wstring_view(text, SysStringLen(text)));
}

// Truncated toward zero; 0 for anything that is not a number in range.
int IntFromVariant(const VARIANT& value) {
    ScopedVariant converted;
    if (FAILED(ConvertVariant(value, VT_R8, converted))) return 0;
    const double number = std::trunc(V_R8(&converted.Get()));
    if (!(number >= INT_MIN && number <= INT_MAX)) return 0;
    return static_cast<int>(number);
}

bool BoolFromVariant(const VARIANT& value) {
    ScopedVariant converted;
    if (FAILED(ConvertVariant(value, VT_BOOL, converted))) return false;
    return V_BOOL(&converted.Get()) != VARIANT_FALSE;
}

// Late-bound calls on an automation object: each member is looked up by name
// (GetIDsOfNames) and reached through IDispatch::Invoke. A null object, an
// unknown name or a refused call all come back as a failed HRESULT.
class Automation {
public:
    explicit Automation(IDispatch* object) noexcept : object_(object) {}

    HRESULT CallMethod(const wchar_t* name, std::initializer_list<const ScopedVariant*> arguments,
                       ScopedVariant* result = nullptr) const {
        return Invoke(name, DISPATCH_METHOD, arguments, false, result);
    }
    HRESULT GetProperty(const wchar_t* name, ScopedVariant& result) const {
        return Invoke(name, DISPATCH_PROPERTYGET, {}, false, &result);
    }
    // name(index...) = value; the value comes last in `arguments`.
    HRESULT PutProperty(const wchar_t* name,
                        std::initializer_list<const ScopedVariant*> arguments) const {
        return Invoke(name, DISPATCH_PROPERTYPUT, arguments, true, nullptr);
    }

private:
    HRESULT Invoke(const wchar_t* name, WORD kind,
                   std::initializer_list<const ScopedVariant*> arguments, bool isPut,
                   ScopedVariant* result) const {
        if (object_ == nullptr) return E_POINTER;
        std::wstring memberName(name);
        LPOLESTR names[] = {memberName.data()};
        DISPID member = DISPID_UNKNOWN;
        HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member);
        if (FAILED(hr)) return hr;
        // Invoke takes its arguments last to first; the VARIANTs stay owned by the caller.
        std::vector<VARIANT> reversed;
        reversed.reserve(arguments.size());
        for (auto it = std::rbegin(arguments); it != std::rend(arguments); ++it)
            reversed.push_back((*it)->Get());
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS parameters = {};
        parameters.rgvarg = reversed.empty() ? nullptr : reversed.data();
        parameters.cArgs = static_cast<UINT>(reversed.size());
        if (isPut) {
            parameters.rgdispidNamedArgs = &putId;
            parameters.cNamedArgs = 1;
        }
        ScopedVariant ignored;
        VARIANT* resultSlot = result ? result->Receive() : ignored.Receive();
        return object_->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                               isPut ? nullptr : resultSlot, nullptr, nullptr);
    }

    IDispatch* object_;
};

ComPtr<IDispatch> CreateRequestObject() {
    ComPtr<IDispatch> object;
    CLSID classId;
    if (FAILED(CLSIDFromProgID(kRequestProgId, &classId))) return object;
    if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IDispatch, reinterpret_cast<void**>(object.Receive()))))
        return object;
    OleRun(object.Get());
    return object;
}

enum class WaitOutcome { kAnswered, kFailed, kGaveUp };

// Waits for the reply of an asynchronous Send one slice at a time, so that the
// time-out holds whatever the object does with its own and a stop request is
// seen between slices. WaitForResponse counts whole seconds (Wine reads its
// argument as an integer whatever its type, and never completes a request that
// is only ever polled with 0), and it returns as soon as the reply is in.
// `limitMilliseconds` empty: no limit of our own.
WaitOutcome WaitForReply(const Automation& request, std::optional<int> limitMilliseconds,
                         const std::atomic<bool>* stopFlag) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const ScopedVariant slice = IntArgument(kWaitSliceSeconds);
    for (;;) {
        if (stopFlag && stopFlag->load()) return WaitOutcome::kGaveUp;
        ScopedVariant answered;
        if (FAILED(request.CallMethod(L"WaitForResponse", {&slice}, &answered)))
            return WaitOutcome::kFailed;
        if (BoolFromVariant(answered.Get())) return WaitOutcome::kAnswered;
        if (limitMilliseconds &&
            Clock::now() - start >= std::chrono::milliseconds(*limitMilliseconds))
            return WaitOutcome::kGaveUp;
    }
}

}  // namespace

Bytes HttpRequest(HttpRequestOptions& options) {
    // Declared first so that COM is uninitialised after every object is released.
    ScopedCoInitialize com;
    const Text method = MethodText(options.Method);

    ComPtr<IDispatch> object;
    if (options.RequestObject) {
        object = ComPtr<IDispatch>::Share(*options.RequestObject);
    } else {
        object = CreateRequestObject();
        if (!object) return {};
    }
    const Automation request(object.Get());

    const std::optional<int> timeout = TimeoutMilliseconds(options.TimeoutSeconds);
    if (timeout) {
        const ScopedVariant ms = IntArgument(*timeout);
        request.CallMethod(L"SetTimeouts", {&ms, &ms, &ms, &ms});
    }
    if (!options.ProxyServer.empty()) {
        const ScopedVariant setting = IntArgument(kProxySettingProxy);
        const ScopedVariant server = TextArgument(options.ProxyServer);
        request.CallMethod(L"SetProxy", {&setting, &server});
        if (!options.ProxyUser.empty()) {
            const ScopedVariant user = TextArgument(options.ProxyUser);
            const ScopedVariant password = TextArgument(options.ProxyPassword);
            const ScopedVariant flag =
                IntArgument(options.CredentialsFlag.value_or(kCredentialsForProxy));
            request.CallMethod(L"SetCredentials", {&user, &password, &flag});
        }
    }
    {
        const ScopedVariant methodArgument = TextArgument(method);
        const ScopedVariant url = TextArgument(options.Url);
        const ScopedVariant asynchronous = BoolArgument(true);
        request.CallMethod(L"Open", {&methodArgument, &url, &asynchronous});
    }
    if (options.NoRedirect) {
        const ScopedVariant index = IntArgument(kOptionEnableRedirects);
        const ScopedVariant off = IntArgument(0);
        request.PutProperty(L"Option", {&index, &off});
    }

    CompleteHeaderText(options.ExtraHeaders, options.Url);
    for (const HeaderLine& line : RequestHeaderLines(options.Cookies, options.ExtraHeaders)) {
        const ScopedVariant name = TextArgument(line.Name);
        const ScopedVariant value = TextArgument(line.Value);
        request.CallMethod(L"SetRequestHeader", {&name, &value});
    }
    HRESULT sent;
    {
        const ScopedVariant body = options.PostBytes.empty() ? TextArgument(options.PostText)
                                                             : BytesArgument(options.PostBytes);
        sent = request.CallMethod(L"Send", {&body});
    }
    // A request that was never sent has no reply to wait for; the object would
    // report "not yet" until the time-out.
    const WaitOutcome outcome =
        SUCCEEDED(sent) ? WaitForReply(request, timeout, options.StopFlag) : WaitOutcome::kFailed;

    Bytes body;
    Text headers;
    int status = 0;
    if (outcome == WaitOutcome::kGaveUp) {
        // An abandoned request fails like any other: nothing of it is read.
        request.CallMethod(L"Abort", {});
    } else {
        ScopedVariant value;
        if (SUCCEEDED(request.GetProperty(L"ResponseBody", value)))
            body = BytesFromVariant(value.Get());
        if (SUCCEEDED(request.CallMethod(L"GetallResponseHeaders", {}, &value)))
            headers = TextFromVariant(value.Get());
        if (SUCCEEDED(request.GetProperty(L"Status", value))) status = IntFromVariant(value.Get());
    }
    options.ResponseHeaders = NormalizeSetCookie(headers);
    options.StatusCode = status;
    options.ReturnedCookies = CollectReturnedCookies(options.ResponseHeaders);
    MergeCookies(options.Cookies, options.ReturnedCookies);
    return body;
}

}  // namespace qingqu
