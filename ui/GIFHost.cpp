// LGIFHost: embeds the web-browser control as an in-place active object and
// shows the banner page in it.
#include "ui/GIFHost.h"

#include <exdisp.h>
#include <string.h>

// Trace texts name the step that ran or failed. They go to the debugger in
// debug builds and nowhere otherwise; the user never sees them.
#ifdef NDEBUG
#define QT_TRACE(text) ((void)0)
#else
#define QT_TRACE(text) OutputDebugStringA(text "\n")
#endif

namespace {

const CLSID kClsidWebBrowser =
    { 0x8856F961, 0x340A, 0x11D0, { 0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2 } };
const IID kIidUnknown =
    { 0x00000000, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const IID kIidOleObject =
    { 0x00000112, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const IID kIidOleInPlaceObject =
    { 0x00000113, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const IID kIidOleClientSite =
    { 0x00000118, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const IID kIidOleInPlaceSite =
    { 0x00000119, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const IID kIidWebBrowser =
    { 0xEAB22AC1, 0x30C1, 0x11CF, { 0xA7, 0xEB, 0x00, 0x00, 0xC0, 0x5B, 0xAE, 0x0B } };

bool SameIid(REFIID a, const IID& b)
{
    return memcmp(&a, &b, sizeof(IID)) == 0;
}

void NavigateTo(IUnknown* browser, const char* pagePath)
{
    ComPtr<IWebBrowser> web;
    if (browser->QueryInterface(kIidWebBrowser, web.Receive()) != S_OK || !web)
        return;
    // At most 259 characters pass; the buffer always ends in a terminator.
    WCHAR wide[260];
    int length = MultiByteToWideChar(CP_ACP, 0, pagePath, (int)strnlen(pagePath, 259), wide, 259);
    wide[length > 0 ? length : 0] = 0;
    wide[259] = 0;
    BSTR url = SysAllocString(wide);
    if (url) {
        VARIANT absent;
        VariantInit(&absent);
        web->Navigate(url, &absent, &absent, &absent, &absent);
        SysFreeString(url);
    }
}

} // namespace

LGIFHost::LGIFHost(HWND hwnd, const char* pagePath)
    : hwndHost(hwnd), refCount(1)
{
    clientSite.host = this;
    inPlaceSite.host = this;

    // The banner is decoration: without a browser the window stays blank
    // and the program works as before, so each failure below only traces.
    QT_TRACE("LGIFHost::LGIFHost CoCreateInstance() Create Instance of CLSID_WebBrowser");
    ComPtr<IUnknown> browser;
    HRESULT hr = CoCreateInstance(kClsidWebBrowser, NULL,
                                  CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                                  kIidUnknown, browser.Receive());
    // A success code other than S_OK may still hand out an object: the owner
    // releases it.
    if (hr != S_OK || !browser) {
        QT_TRACE("LGIFHost::LGIFHost CoCreateInstance(WebBrowser) FAILED");
        return;
    }

    QT_TRACE("LGIFHost::LGIFHost Get IOleObject");
    ComPtr<IOleObject> object;
    hr = browser->QueryInterface(kIidOleObject, object.Receive());
    if (hr != S_OK || !object) {
        QT_TRACE("LGIFHost::LGIFHost QueryInterface(IOleObject) FAILED");
        return;
    }
    Activate(browser.Get(), object.Get());

    QT_TRACE("LGIFHost::LGIFHost Get Web Browser Interface");
    NavigateTo(browser.Get(), pagePath);
    QT_TRACE("LGIFHost::LGIFHost done");
}

void LGIFHost::Activate(IUnknown* browser, IOleObject* object)
{
    QT_TRACE("LGIFHost::LGIFHost Set client site");
    object->SetClientSite(&clientSite);
    RECT place = { 0, 0, 0, 0 };
    GetClientRect(hwndHost, &place);

    QT_TRACE("LGIFHost::LGIFHost Set site limits");
    ComPtr<IOleInPlaceObject> inPlace;
    if (browser->QueryInterface(kIidOleInPlaceObject, inPlace.Receive()) == S_OK && inPlace)
        inPlace->SetObjectRects(&place, &place);
    else
        QT_TRACE("LGIFHost::LGIFHost QueryInterface(IID_IOleInPlaceObject) FAILED");

    QT_TRACE("LGIFHost::LGIFHost Activate the site");
    object->DoVerb(OLEIVERB_INPLACEACTIVATE, NULL, &clientSite, 0, hwndHost, &place);
}

LGIFHost::~LGIFHost()
{
    QT_TRACE("LGIFHost::~LGIFHost()");
}

void LGIFHost::Show(HWND hwnd, const char* pagePath)
{
    LGIFHost* host = new LGIFHost(hwnd, pagePath);
    host->Release();
}

STDMETHODIMP LGIFHost::QueryInterface(REFIID riid, void** ppvObject)
{
    if (!ppvObject) {
        QT_TRACE("LGIFHost::QueryInterface ppvObject is NULL!");
        return E_INVALIDARG;
    }
    IUnknown* answer;
    if (SameIid(riid, kIidUnknown)) {
        QT_TRACE("LGIFHost::QueryInterface IID_IUnknown");
        answer = this;
    } else if (SameIid(riid, kIidOleClientSite)) {
        QT_TRACE("LGIFHost::QueryInterface IID_IOleClientSite");
        answer = &clientSite;
    } else if (SameIid(riid, kIidOleInPlaceSite)) {
        QT_TRACE("LGIFHost::QueryInterface IID_IOleInPlaceSite");
        answer = &inPlaceSite;
    } else {
        QT_TRACE("LGIFHost::QueryInterface unknown object");
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    *ppvObject = answer;
    answer->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) LGIFHost::AddRef()
{
    QT_TRACE("LGIFHost::AddRef()");
    return ++refCount;
}

STDMETHODIMP_(ULONG) LGIFHost::Release()
{
    QT_TRACE("LGIFHost::Release()");
    LONG count = --refCount;
    if (count == 0) {
        QT_TRACE("LGIFHost::Release() delete this");
        delete this;
    }
    return count;
}

// The sites share the host's identity and count.

STDMETHODIMP LGIFClientSite::QueryInterface(REFIID riid, void** ppvObject)
{
    return host->QueryInterface(riid, ppvObject);
}

STDMETHODIMP_(ULONG) LGIFClientSite::AddRef() { return host->AddRef(); }
STDMETHODIMP_(ULONG) LGIFClientSite::Release() { return host->Release(); }
STDMETHODIMP LGIFClientSite::SaveObject() { return S_OK; }

STDMETHODIMP LGIFClientSite::GetMoniker(DWORD, DWORD, IMoniker** ppmk)
{
    if (ppmk)
        *ppmk = nullptr;
    return S_OK;
}

STDMETHODIMP LGIFClientSite::GetContainer(IOleContainer** ppContainer)
{
    if (ppContainer)
        *ppContainer = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP LGIFClientSite::ShowObject() { return S_OK; }
STDMETHODIMP LGIFClientSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP LGIFClientSite::RequestNewObjectLayout() { return S_OK; }

STDMETHODIMP LGIFInPlaceSite::QueryInterface(REFIID riid, void** ppvObject)
{
    return host->QueryInterface(riid, ppvObject);
}

STDMETHODIMP_(ULONG) LGIFInPlaceSite::AddRef() { return host->AddRef(); }
STDMETHODIMP_(ULONG) LGIFInPlaceSite::Release() { return host->Release(); }

STDMETHODIMP LGIFInPlaceSite::GetWindow(HWND* phwnd)
{
    if (phwnd)
        *phwnd = host->hwndHost;
    return S_OK;
}

STDMETHODIMP LGIFInPlaceSite::ContextSensitiveHelp(BOOL) { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::CanInPlaceActivate() { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::OnInPlaceActivate() { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::OnUIActivate() { return S_OK; }

STDMETHODIMP LGIFInPlaceSite::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                               LPRECT lprcPosRect, LPRECT lprcClipRect,
                                               LPOLEINPLACEFRAMEINFO lpFrameInfo)
{
    // No frame or document window: the browser has the host window only.
    if (ppFrame)
        *ppFrame = nullptr;
    if (ppDoc)
        *ppDoc = nullptr;
    RECT place = { 0, 0, 0, 0 };
    GetClientRect(host->hwndHost, &place);
    if (lprcPosRect)
        *lprcPosRect = place;
    if (lprcClipRect)
        *lprcClipRect = place;
    if (lpFrameInfo) {
        lpFrameInfo->fMDIApp = FALSE;
        lpFrameInfo->hwndFrame = host->hwndHost;
        lpFrameInfo->haccel = NULL;
        lpFrameInfo->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP LGIFInPlaceSite::Scroll(SIZE) { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::OnInPlaceDeactivate() { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::DiscardUndoState() { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::DeactivateAndUndo() { return S_OK; }

// The browser keeps its first placement.
STDMETHODIMP LGIFInPlaceSite::OnPosRectChange(LPCRECT) { return S_OK; }
