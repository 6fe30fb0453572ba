#include "platform/win32/WinHeadProbe.h"

#include <windows.h>
#include <oleauto.h>

#include <memory>

#include "platform/win32/WinHandles.h"
#include "platform/win32/WinPaintingWait.h"
#include "platform/win32/WinText.h"

namespace {

struct Variant {
    VARIANT v;
    Variant() { VariantInit(&v); }
    ~Variant() { VariantClear(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

struct DispatchRef {
    IDispatch* p = nullptr;
    ~DispatchRef() {
        if (p) p->Release();
    }
};

// Calls a member by name; `args` in the order IDispatch wants them (last first).
HRESULT Invoke(IDispatch* object, const wchar_t* name, WORD kind, VARIANT* args, UINT count, VARIANT* result) {
    DISPID id = 0;
    auto* member = const_cast<LPOLESTR>(name);
    HRESULT hr = object->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS params{args, nullptr, count, 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, nullptr, nullptr);
}

// One HEAD request, start to end, on the calling thread.
long Probe(const std::wstring& url) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"msxml2.XMLHTTP", &clsid))) return 0;
    DispatchRef request;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&request.p)))) {
        return 0;
    }
    Variant open[3];  // "HEAD", the URL, false (synchronous), in reverse order
    open[2].v.vt = VT_BSTR;
    open[2].v.bstrVal = SysAllocString(L"HEAD");
    open[1].v.vt = VT_BSTR;
    open[1].v.bstrVal = SysAllocString(url.c_str());
    open[0].v.vt = VT_BOOL;
    open[0].v.boolVal = VARIANT_FALSE;
    VARIANT args[3] = {open[0].v, open[1].v, open[2].v};
    if (FAILED(Invoke(request.p, L"open", DISPATCH_METHOD, args, 3, nullptr))) return 0;
    if (FAILED(Invoke(request.p, L"send", DISPATCH_METHOD, nullptr, 0, nullptr))) return 0;
    Variant status;
    if (FAILED(Invoke(request.p, L"Status", DISPATCH_PROPERTYGET, nullptr, 0, &status.v))) return 0;
    if (FAILED(VariantChangeType(&status.v, &status.v, 0, VT_I4))) return 0;
    return status.v.lVal;
}

// What the probe thread and the caller share; the thread keeps it alive when
// the caller has given up waiting.
struct ProbeCall {
    std::wstring url;
    volatile long status = 0;
};

DWORD WINAPI ProbeThread(void* parameter) {
    std::shared_ptr<ProbeCall> call(*static_cast<std::shared_ptr<ProbeCall>*>(parameter));
    delete static_cast<std::shared_ptr<ProbeCall>*>(parameter);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InterlockedExchange(&call->status, Probe(call->url));
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

}  // namespace

long WinHeadProbe::HeadStatus(const std::string& url) {
    auto call = std::make_shared<ProbeCall>();
    call->url = Utf8ToWide(url);
    auto* parameter = new std::shared_ptr<ProbeCall>(call);
    unique_handle thread(CreateThread(nullptr, 0, ProbeThread, parameter, 0, nullptr));
    if (!thread) {
        delete parameter;
        return 0;
    }
    DWORD waited = WAIT_TIMEOUT;
    RunKeepingWindowPainted([&] { waited = WaitForSingleObject(thread.get(), timeoutMs); });
    // Given up: the thread finishes on its own, its answer no longer counts.
    return waited == WAIT_OBJECT_0 ? InterlockedCompareExchange(&call->status, 0, 0) : 0;
}
