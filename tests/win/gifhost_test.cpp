// The banner host: one COM identity with one count, the creation sequence
// with and without the browser class, and its OLE pairing.
//
// Wine's default prefix provides the browser class (without an HTML engine,
// so nothing renders). The tests that need the class to be missing run in a
// child process of this program started with "ieframe=" added to the DLL
// overrides; in the parent they are skipped.
#include <gtest/gtest.h>

#include <string>

#include "ui/GIFHost.h"
#include "tests/common/TestRegistry.h"

namespace {

const char kChildMarker[] = "QUILLTALLY_GIFHOST_CHILD";
const CLSID kClsidWebBrowser =
    { 0x8856F961, 0x340A, 0x11D0, { 0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2 } };

bool InChild()
{
    return GetEnvironmentVariableA(kChildMarker, NULL, 0) > 0;
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// What the thread's COM state is: a fresh multi-threaded initialisation
// succeeds only when no single-threaded apartment is left behind.
bool ThreadHasApartment()
{
    HRESULT hr = CoInitializeEx(NULL, COINIT_MULTITHREADED);
    if (SUCCEEDED(hr))
        CoUninitialize();
    return hr == RPC_E_CHANGED_MODE;
}

// A dialog-like parent with an edit control as the banner band.
struct Band {
    HWND parent = 0, edit = 0;
    Band()
    {
        parent = CreateWindowExA(0, "STATIC", "band", WS_POPUP | WS_VISIBLE, 0, 0, 600, 200,
                                 NULL, NULL, GetModuleHandleA(NULL), NULL);
        edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 595, 61, parent,
                               (HMENU)125, GetModuleHandleA(NULL), NULL);
    }
    ~Band()
    {
        if (IsWindow(parent))
            DestroyWindow(parent);
        Pump();
    }
    bool HasChild() const { return GetWindow(edit, GW_CHILD) != NULL; }
};

#define SKIP_UNLESS_CHILD() \
    if (!InChild()) GTEST_SKIP() << "runs in the child process without the browser class"

// ---- without the browser class (child process) ----------------------------

TEST(NoBrowser, ClassIsReallyMissing)
{
    SKIP_UNLESS_CHILD();
    ASSERT_FALSE(ThreadHasApartment());
    CoInitialize(NULL);
    IUnknown* unknown = nullptr;
    HRESULT hr = CoCreateInstance(kClsidWebBrowser, NULL, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(&unknown));
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    if (unknown)
        unknown->Release();
    CoUninitialize();
}

TEST(NoBrowser, ThreeInterfacesShareOneIdentityAndCount)
{
    SKIP_UNLESS_CHILD();
    Band band;
    LGIFHost* host = new LGIFHost(band.edit, "C:\\nowhere\\banner.htm");
    ASSERT_EQ(host->refCount, 1);
    EXPECT_FALSE(band.HasChild());

    IUnknown* through[] = {host, &host->clientSite, &host->inPlaceSite};
    const struct { const IID* iid; IUnknown* expected; } answers[] = {
        {&IID_IUnknown, host},
        {&IID_IOleClientSite, &host->clientSite},
        {&IID_IOleInPlaceSite, &host->inPlaceSite},
    };
    for (IUnknown* entry : through) {
        for (const auto& a : answers) {
            void* out = nullptr;
            ASSERT_EQ(entry->QueryInterface(*a.iid, &out), S_OK);
            EXPECT_EQ(out, static_cast<void*>(a.expected));
            EXPECT_EQ(host->refCount, 2) << "the answer holds one reference";
            EXPECT_EQ(static_cast<IUnknown*>(out)->Release(), 1u);
        }
        // Interfaces the host does not have, and a null out-pointer.
        const IID* unknownIids[] = {&IID_IOleObject, &IID_IDispatch, &IID_IOleWindow};
        for (const IID* iid : unknownIids) {
            void* out = reinterpret_cast<void*>(0x1234);
            EXPECT_EQ(entry->QueryInterface(*iid, &out), E_NOINTERFACE);
            EXPECT_EQ(out, nullptr);
        }
        EXPECT_EQ(entry->QueryInterface(IID_IUnknown, nullptr), E_INVALIDARG);
        EXPECT_EQ(host->refCount, 1);

        EXPECT_EQ(entry->AddRef(), 2u);
        EXPECT_EQ(entry->Release(), 1u);
    }

    // The sites' own answers.
    HWND window = 0;
    EXPECT_EQ(host->inPlaceSite.GetWindow(&window), S_OK);
    EXPECT_EQ(window, band.edit);
    IOleContainer* container = reinterpret_cast<IOleContainer*>(0x1234);
    EXPECT_EQ(host->clientSite.GetContainer(&container), E_NOTIMPL);
    EXPECT_EQ(container, nullptr);
    IOleInPlaceFrame* frame = reinterpret_cast<IOleInPlaceFrame*>(0x1234);
    IOleInPlaceUIWindow* doc = reinterpret_cast<IOleInPlaceUIWindow*>(0x1234);
    RECT pos = {9, 9, 9, 9}, clip = {9, 9, 9, 9}, client;
    OLEINPLACEFRAMEINFO info;
    info.cb = sizeof info;
    info.fMDIApp = TRUE;
    info.cAccelEntries = 5;
    EXPECT_EQ(host->inPlaceSite.GetWindowContext(&frame, &doc, &pos, &clip, &info), S_OK);
    GetClientRect(band.edit, &client);
    EXPECT_EQ(frame, nullptr);
    EXPECT_EQ(doc, nullptr);
    EXPECT_TRUE(EqualRect(&pos, &client));
    EXPECT_TRUE(EqualRect(&clip, &client));
    EXPECT_EQ(info.cAccelEntries, 0u);

    // The last release destroys the host and with it its OLE initialisation.
    EXPECT_TRUE(ThreadHasApartment());
    EXPECT_EQ(host->clientSite.Release(), 0u);
    EXPECT_FALSE(ThreadHasApartment());
}

TEST(NoBrowser, ShowDestroysTheHostAndPairsOle)
{
    SKIP_UNLESS_CHILD();
    Band band;
    ASSERT_FALSE(ThreadHasApartment());
    LGIFHost::Show(band.edit, "banner.htm");
    EXPECT_FALSE(ThreadHasApartment()) << "OLE left initialised: the host was not destroyed";
    EXPECT_FALSE(band.HasChild()) << "the band shows the bare control";

    // With the thread already in OLE, Show must not take that away.
    ASSERT_EQ(OleInitialize(NULL), S_OK);
    LGIFHost::Show(band.edit, "banner.htm");
    EXPECT_TRUE(ThreadHasApartment());
    OleUninitialize();
    EXPECT_FALSE(ThreadHasApartment());
}

// ---- with the browser class (Wine's default) --------------------------------

// Runs the NoBrowser tests in a copy of this program for which Wine's
// per-program DLL overrides disable the browser's DLL (an override set in the
// environment of a child process does not reach Wine's loader).
TEST(Banner, MissingBrowserClassCase)
{
    if (InChild())
        GTEST_SKIP();
    const char childName[] = "quilltally_gifhost_nobrowser.exe";
    char self[MAX_PATH], child[MAX_PATH];
    ASSERT_TRUE(GetModuleFileNameA(NULL, self, sizeof self));
    ASSERT_TRUE(GetTempPathA(sizeof child, child));
    lstrcatA(child, childName);
    ASSERT_TRUE(CopyFileA(self, child, FALSE));

    std::string keyName = std::string("Software\\Wine\\AppDefaults\\") + childName + "\\DllOverrides";
    ASSERT_TRUE(testreg::WriteText(keyName.c_str(), "ieframe", "", HKEY_CURRENT_USER));

    SetEnvironmentVariableA(kChildMarker, "1");
    std::string command = std::string("\"") + child + "\" --gtest_filter=NoBrowser.*";
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof pi);
    BOOL started = CreateProcessA(NULL, &command[0], NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi);
    SetEnvironmentVariableA(kChildMarker, NULL);

    DWORD code = 1;
    if (started) {
        EXPECT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, keyName.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, keyName.substr(0, keyName.rfind('\\')).c_str());
    DeleteFileA(child);
    ASSERT_TRUE(started);
    EXPECT_EQ(code, 0u) << "the tests without the browser class failed (output above)";
}

// Records the windows created as children of one window while it is set.
struct ChildWatch {
    static HWND parent;
    static int created;
    HHOOK hook;
    explicit ChildWatch(HWND p)
    {
        parent = p;
        created = 0;
        hook = SetWindowsHookExA(WH_CBT, Proc, NULL, GetCurrentThreadId());
    }
    ~ChildWatch() { UnhookWindowsHookEx(hook); }
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND && reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->hwndParent == parent)
            ++created;
        return CallNextHookEx(NULL, code, wParam, lParam);
    }
};
HWND ChildWatch::parent = 0;
int ChildWatch::created = 0;

// The whole sequence runs against the real browser object: it gets the client
// site, puts its window into the band and is asked to navigate (an overlong
// path arrives cut). How long it then keeps the sites, and so the host, is
// the browser's business: Wine's sometimes lets go at once. Either way the
// band's window may go away under it.
TEST(Banner, SequenceRunsToTheEndWithTheBrowser)
{
    if (InChild())
        GTEST_SKIP();
    const std::string paths[] = {"C:\\nowhere\\banner.htm", "C:\\" + std::string(400, 'a')};
    for (const std::string& path : paths) {
        Band band;
        {
            ChildWatch watch(band.edit);
            LGIFHost::Show(band.edit, path.c_str());
            EXPECT_GE(ChildWatch::created, 1) << "the browser never embedded itself in the band";
        }
        Pump();
        DestroyWindow(band.parent);
        Pump();
    }
}

// What keeps the host alive is any site reference held by someone else, as
// the browser does while it lives.
TEST(NoBrowser, HeldSiteKeepsTheHostAfterTheCreatorLetsGo)
{
    SKIP_UNLESS_CHILD();
    Band band;
    LGIFHost* host = new LGIFHost(band.edit, "banner.htm");
    IOleInPlaceSite* held = nullptr;
    ASSERT_EQ(host->clientSite.QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&held)), S_OK);
    EXPECT_EQ(host->Release(), 1u); // the creator's reference, as Show drops it
    EXPECT_TRUE(ThreadHasApartment());
    HWND window = 0;
    EXPECT_EQ(held->GetWindow(&window), S_OK);
    EXPECT_EQ(window, band.edit);
    EXPECT_EQ(held->Release(), 0u);
    EXPECT_FALSE(ThreadHasApartment());
}

} // namespace
