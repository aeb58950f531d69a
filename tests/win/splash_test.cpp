// The splash window: placement, what it paints, and every way it closes.
#include <gtest/gtest.h>

#include "ui/Dialog.h"
#include "ui/SplashScreen.h"

namespace {

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

class Splash : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hInstance = GetModuleHandleA(NULL);
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                NULL, NULL, g_hInstance, NULL);
        ASSERT_TRUE(owner);
    }
    void TearDown() override
    {
        if (IsWindow(owner))
            DestroyWindow(owner);
        Pump();
    }

    // Opens the shipped picture and checks that the object tracks a window.
    void OpenShipped()
    {
        splash.Open(owner, MAKEINTRESOURCEA(1));
        ASSERT_TRUE(splash.hwndSplash);
        ASSERT_TRUE(IsWindow(splash.hwndSplash));
        ASSERT_TRUE(splash.hBitmap);
    }

    void ExpectClosed(HBITMAP picture)
    {
        EXPECT_EQ(splash.hwndSplash, (HWND)0);
        EXPECT_EQ(splash.hBitmap, (HBITMAP)0);
        EXPECT_EQ(GetObjectType(picture), 0u) << "the picture was not freed";
    }

    HWND owner = 0;
    LSplashScreen splash;
};

TEST_F(Splash, CentredPopupOfPictureSizeOwnedByTheDialog)
{
    OpenShipped();
    HWND w = splash.hwndSplash;
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    EXPECT_STREQ(cls, "LSplashScreen");
    EXPECT_EQ(GetWindow(w, GW_OWNER), owner);
    EXPECT_EQ(GetWindowTextLengthA(w), 0);

    LONG style = GetWindowLongA(w, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_EQ(style & WS_DLGFRAME, WS_DLGFRAME);
    EXPECT_FALSE((style & WS_CAPTION) == WS_CAPTION);

    BITMAP bm;
    ASSERT_TRUE(GetObjectA(splash.hBitmap, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 340);
    EXPECT_EQ(bm.bmHeight, 198);
    // The resource itself is a 256-colour picture.
    HRSRC res = FindResourceA(g_hInstance, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(2));
    ASSERT_TRUE(res);
    const BITMAPINFOHEADER* info =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(g_hInstance, res)));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->biBitCount, 8);
    EXPECT_EQ(info->biClrUsed, 256u);

    RECT r, screen;
    GetWindowRect(w, &r);
    GetWindowRect(GetDesktopWindow(), &screen);
    EXPECT_EQ(r.right - r.left, 344);
    EXPECT_EQ(r.bottom - r.top, 286);
    EXPECT_EQ(r.left, (screen.right - 344) / 2);
    EXPECT_EQ(r.top, (screen.bottom - 286) / 2);
}

TEST_F(Splash, PaintsPictureAndTexts)
{
    OpenShipped();
    HWND w = splash.hwndSplash;
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RedrawWindow(w, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Pump();

    RECT client;
    GetClientRect(w, &client);
    HDC screen = GetDC(w);
    HDC picture = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(picture, splash.hBitmap);

    // The picture sits at the top left, pixel for pixel.
    int same = 0, probes = 0;
    for (int y = 5; y < 190; y += 23)
        for (int x = 5; x < 330; x += 29) {
            ++probes;
            if (GetPixel(screen, x, y) == GetPixel(picture, x, y))
                ++same;
        }
    EXPECT_GE(same, probes * 9 / 10);

    // Below it: white, with dark text at the left (name and version) and at
    // the right (the distributor block, right-aligned).
    auto darkIn = [&](int left, int right) {
        int dark = 0;
        for (int y = 200; y < client.bottom; ++y)
            for (int x = left; x < right; x += 2) {
                COLORREF c = GetPixel(screen, x, y);
                if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 200)
                    ++dark;
            }
        return dark;
    };
    EXPECT_GT(darkIn(2, 60), 20);
    EXPECT_GT(darkIn(client.right - 60, client.right - 2), 20);
    EXPECT_EQ(GetPixel(screen, client.right / 2, client.bottom - 2), RGB(255, 255, 255));

    SelectObject(picture, old);
    DeleteDC(picture);
    ReleaseDC(w, screen);
}

TEST_F(Splash, LeftClickOrAnyTimerCloses_OtherInputDoesNot)
{
    // Every closing costs Wine a couple of seconds without a window manager,
    // so one window takes all the input that must leave it open.
    OpenShipped();
    const struct { UINT msg; WPARAM wParam; } ignored[] = {
        {WM_RBUTTONDOWN, MK_RBUTTON}, {WM_MBUTTONDOWN, MK_MBUTTON}, {WM_LBUTTONDBLCLK, MK_LBUTTON},
        {WM_KEYDOWN, VK_ESCAPE}, {WM_KEYDOWN, VK_RETURN}, {WM_CHAR, ' '},
    };
    for (const auto& c : ignored) {
        SendMessageA(splash.hwndSplash, c.msg, c.wParam, MAKELPARAM(10, 10));
        Pump();
        ASSERT_TRUE(IsWindow(splash.hwndSplash)) << "message " << c.msg;
    }

    const struct { UINT msg; WPARAM wParam; } closing[] = {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_TIMER, 42}};
    for (const auto& c : closing) {
        if (!splash.hwndSplash)
            OpenShipped();
        HBITMAP picture = splash.hBitmap;
        SendMessageA(splash.hwndSplash, c.msg, c.wParam, MAKELPARAM(10, 10));
        Pump();
        ExpectClosed(picture);
    }
}

TEST_F(Splash, ClosesItselfAfterSevenSeconds)
{
    OpenShipped();
    HBITMAP picture = splash.hBitmap;
    DWORD start = GetTickCount();
    // A timer never fires early, so the splash is still up just before 7 s;
    // the upper bound is generous for a loaded machine.
    while (splash.hwndSplash && GetTickCount() - start < 15000) {
        MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
        Pump();
        if (GetTickCount() - start < 6800) {
            ASSERT_TRUE(splash.hwndSplash) << "closed after " << GetTickCount() - start << " ms";
        }
    }
    ExpectClosed(picture);
}

TEST_F(Splash, OpenTwiceKeepsOneWindowAndFreesTheFirstPicture)
{
    OpenShipped();
    HWND first = splash.hwndSplash;
    HBITMAP firstPicture = splash.hBitmap;
    OpenShipped();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_NE(splash.hwndSplash, first);
    EXPECT_EQ(GetObjectType(firstPicture), 0u);
    EXPECT_EQ(GetObjectType(splash.hBitmap), (DWORD)OBJ_BITMAP);

    int windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM count) -> BOOL {
        char cls[64] = "";
        GetClassNameA(w, cls, sizeof cls);
        if (!lstrcmpA(cls, "LSplashScreen") && IsWindow(w))
            ++*reinterpret_cast<int*>(count);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&windows));
    EXPECT_EQ(windows, 1);
}

TEST_F(Splash, GoesWithItsOwner)
{
    OpenShipped();
    HWND w = splash.hwndSplash;
    HBITMAP picture = splash.hBitmap;
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(w));
    ExpectClosed(picture);
}

TEST_F(Splash, MissingPictureMeansNoSplash)
{
    splash.Open(owner, MAKEINTRESOURCEA(999));
    EXPECT_EQ(splash.hwndSplash, (HWND)0);
    EXPECT_EQ(splash.hBitmap, (HBITMAP)0);
}

} // namespace
