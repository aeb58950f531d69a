// LGIFHost: a minimal OLE container that embeds the web-browser control in
// one child window and points it at a page. The host and its two sites are
// one COM object with one reference count; the browser's references to the
// sites keep it alive, and it deletes itself when the last one goes.
#ifndef QT_UI_GIFHOST_H
#define QT_UI_GIFHOST_H

#include <windows.h>
#include <ole2.h>

#include "support/Owned.h"

class LGIFHost;

class LGIFClientSite : public IOleClientSite {
public:
    LGIFHost* host = nullptr;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL fShow) override;
    STDMETHODIMP RequestNewObjectLayout() override;
};

class LGIFInPlaceSite : public IOleInPlaceSite {
public:
    LGIFHost* host = nullptr;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) override;
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                  LPRECT lprcPosRect, LPRECT lprcClipRect,
                                  LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    STDMETHODIMP Scroll(SIZE scrollExtent) override;
    STDMETHODIMP OnUIDeactivate(BOOL fUndoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT lprcPosRect) override;
};

class LGIFHost final : public IUnknown {
public:
    HWND hwndHost;
    LGIFClientSite clientSite;
    LGIFInPlaceSite inPlaceSite;
    LONG refCount;

    // Creates the browser in hwndHost and navigates it to pagePath. Failures
    // are silent; the object is left with refCount 1 either way.
    LGIFHost(HWND hwnd, const char* pagePath);
    ~LGIFHost();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // Creates a host and drops the creator's reference: the browser alone
    // decides how long the host lives.
    static void Show(HWND hwnd, const char* pagePath);

    LGIFHost(const LGIFHost&) = delete;
    LGIFHost& operator=(const LGIFHost&) = delete;

private:
    // OLE for as long as the host lives: the browser calls back into it.
    ComScope ole_{true};

    // Places the browser in the host window and activates it there.
    void Activate(IUnknown* browser, IOleObject* object);
};

#endif
