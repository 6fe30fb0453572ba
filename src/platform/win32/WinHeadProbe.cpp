#include "platform/win32/WinHeadProbe.h"

#include <windows.h>
#include <oleauto.h>

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

}  // namespace

long WinHeadProbe::HeadStatus(const std::string& url) {
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
    open[1].v.bstrVal = SysAllocString(Utf8ToWide(url).c_str());
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
