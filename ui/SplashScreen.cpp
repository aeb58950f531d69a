// LSplashScreen: a captionless popup with the splash picture and, below it,
// the product's name, version and distributor. It closes itself after seven
// seconds or on a left click; the owner may destroy it earlier.
#include "ui/SplashScreen.h"
#include "ui/Dialog.h"

#include "support/Owned.h"
#include "support/ProductNames.h"

namespace {

const char kClassName[] = "LSplashScreen";
const UINT_PTR kCloseTimer = 1;
const UINT kCloseAfterMs = 7000;

const char kProductName[] = QT_PRODUCT_NAME;
const char kVersionText[] = QT_PRODUCT_AND_VERSION;
const char kDistributor[] =
    "Distributed by:\n"
    QT_MAKER_NAME "\n"
    "www.corvane.example\n"
    "\n"
    "Copyright (c) " QT_MAKER_NAME ". All rights reserved.";

// Integer halving that rounds towards minus infinity, so a screen smaller
// than the splash gives the same offset on both sides.
int HalfDown(int value)
{
    return value >= 0 ? value / 2 : -((1 - value) / 2);
}

HFONT CreateSplashFont(int weight)
{
    return CreateFontA(16, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, NULL);
}

LSplashScreen* FromWindow(HWND hwnd)
{
    return reinterpret_cast<LSplashScreen*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

} // namespace

void LSplashScreen::Open(HWND owner, LPCSTR bitmap)
{
    if (hwndSplash)
        DestroyWindow(hwndSplash); // clears both fields and frees the picture

    WNDCLASSA wc;
    if (!GetClassInfoA(g_hInstance, kClassName, &wc)) {
        ZeroMemory(&wc, sizeof wc);
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = g_hInstance;
        wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kClassName;
        RegisterClassA(&wc);
    }

    // The splash is decoration: without its picture (or window) the program
    // starts without it.
    hBitmap = LoadBitmapA(g_hInstance, bitmap);
    if (!hBitmap)
        return;

    BITMAP bm;
    ZeroMemory(&bm, sizeof bm);
    GetObjectA(hBitmap, sizeof bm, &bm);
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    const int width = bm.bmWidth + 4;
    const int height = bm.bmHeight + 88;

    hwndSplash = CreateWindowExA(0, kClassName, "", WS_POPUP | WS_VISIBLE | WS_DLGFRAME,
                                 HalfDown(screen.right - width), HalfDown(screen.bottom - height),
                                 width, height, owner, NULL, g_hInstance, NULL);
    if (!hwndSplash) {
        // No window will ever free the picture, so free it here.
        DeleteObject(hBitmap);
        hBitmap = 0;
        return;
    }
    SetWindowLongPtrA(hwndSplash, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    UpdateWindow(hwndSplash);
}

void LSplashScreen::Paint()
{
    PaintDC paint(hwndSplash);
    HDC hdc = paint.Get();
    RECT client;
    GetClientRect(hwndSplash, &client);

    BITMAP bm;
    ZeroMemory(&bm, sizeof bm);
    GetObjectA(hBitmap, sizeof bm, &bm);

    // Only the picture's own pixels are copied: outside it the source is
    // undefined, and the class's white background shows instead.
    {
        OwnedMemoryDC memory(CreateCompatibleDC(hdc));
        SelectedObject picture(memory.Get(), hBitmap);
        BitBlt(hdc, 0, 0, client.right < bm.bmWidth ? client.right : bm.bmWidth,
               client.bottom < bm.bmHeight ? client.bottom : bm.bmHeight, memory.Get(), 0, 0, SRCCOPY);
    }

    RECT textArea = { 2, bm.bmHeight + 1, bm.bmWidth - 4, bm.bmHeight + 83 };
    RECT work = textArea;
    const UINT format = DT_NOPREFIX | DT_WORDBREAK;

    {
        OwnedFont bold(CreateSplashFont(FW_BOLD));
        SelectedObject selected(hdc, bold.Get());
        work.top += DrawTextA(hdc, kProductName, -1, &work, format | DT_LEFT);
    }
    OwnedFont normal(CreateSplashFont(FW_NORMAL));
    SelectedObject selected(hdc, normal.Get());
    work.top += DrawTextA(hdc, kVersionText, -1, &work, format | DT_LEFT);

    work = textArea;
    DrawTextA(hdc, kDistributor, -1, &work, format | DT_RIGHT);
}

LRESULT CALLBACK LSplashScreen::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        SetTimer(hwnd, kCloseTimer, kCloseAfterMs, NULL);
        return 0;
    case WM_PAINT:
        if (LSplashScreen* splash = FromWindow(hwnd)) {
            splash->Paint();
            return 0;
        }
        break; // not joined yet: let the default procedure validate the window
    case WM_TIMER:
    case WM_LBUTTONDOWN:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, kCloseTimer);
        if (LSplashScreen* splash = FromWindow(hwnd)) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            splash->hwndSplash = 0;
            if (splash->hBitmap) {
                DeleteObject(splash->hBitmap);
                splash->hBitmap = 0;
            }
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
