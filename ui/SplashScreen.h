// LSplashScreen: the picture, name and maker shown for a few seconds at start.
#ifndef QT_UI_SPLASHSCREEN_H
#define QT_UI_SPLASHSCREEN_H

#include <windows.h>

class LSplashScreen {
public:
    HWND hwndSplash = 0;
    HBITMAP hBitmap = 0;

    // Shows the splash centred on the screen; closes an open one first.
    void Open(HWND owner, LPCSTR bitmap);
    void Paint();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

#endif
