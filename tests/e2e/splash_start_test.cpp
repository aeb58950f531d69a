// The splash window of the real program: where it shows, and the three ways
// it goes (a left click, its own timer, a start at logon).
#include <gtest/gtest.h>

#include <string>

#include "tests/common/TestWindows.h"
#include "tests/e2e/AppDriver.h"
#include "tests/e2e/Typist.h"

namespace {

// The program's splash window, 0 while it has none.
HWND SplashOf(DWORD processId)
{
    testwin::WindowQuery query;
    query.processId = processId;
    query.className = "LSplashScreen";
    return testwin::FindTopWindow(query);
}

class SplashTest : public ::testing::Test {
protected:
    void SetUp() override { e2e::ResetState(); }
    void TearDown() override { e2e::ResetState(); }

    // Starts the program and waits for its splash; 0 when none comes.
    HWND StartAndFindSplash(e2e::Process& app, const std::string& arguments = "")
    {
        EXPECT_TRUE(app.Start(e2e::QtallyPath(), arguments));
        HWND splash = 0;
        e2e::WaitUntil([&] { return (splash = SplashOf(app.Id())) != 0 || !app.Running(); }, 30000);
        return splash;
    }
};

TEST_F(SplashTest, ShowsCentredAboveTheMainWindowAndGoesOnALeftClick)
{
    e2e::Process app;
    HWND splash = StartAndFindSplash(app);
    ASSERT_TRUE(splash) << "no splash window";
    HWND main = app.WaitForMainWindow();
    ASSERT_TRUE(main);
    EXPECT_EQ(GetWindow(splash, GW_OWNER), main);
    EXPECT_TRUE(IsWindowVisible(splash));

    RECT r, screen;
    GetWindowRect(splash, &r);
    GetWindowRect(GetDesktopWindow(), &screen);
    EXPECT_EQ(r.right - r.left, 344);
    EXPECT_EQ(r.bottom - r.top, 286);
    EXPECT_EQ(r.left, (screen.right - 344) / 2);
    EXPECT_EQ(r.top, (screen.bottom - 286) / 2);

    // A right click leaves it; a left click in it closes it.
    ASSERT_TRUE(e2e::WaitForStartUp(main));
    POINT inside = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    auto click = [&](DWORD down, DWORD up) {
        SetCursorPos(inside.x, inside.y);
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi.dwFlags = down;
        in[1].mi.dwFlags = up;
        SendInput(2, in, sizeof(INPUT));
    };
    click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    typist::WaitIdle(splash);
    EXPECT_TRUE(IsWindow(splash)) << "a right click closed the splash";
    click(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(splash); }, 5000)) << "a left click did not close it";
    EXPECT_TRUE(IsWindow(main));
    EXPECT_TRUE(app.Exit());
}

TEST_F(SplashTest, GoesByItselfAfterSevenSeconds)
{
    e2e::Process app;
    HWND splash = StartAndFindSplash(app);
    ASSERT_TRUE(splash) << "no splash window";
    DWORD seen = GetTickCount();
    ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(splash); }, 20000)) << "the splash stayed";
    DWORD shown = GetTickCount() - seen;
    // It was created a little before it was seen; its timer cannot fire early.
    EXPECT_GE(shown, 5000u);
    EXPECT_TRUE(IsWindow(app.MainWindow())) << "the program went with its splash";
    EXPECT_TRUE(app.Exit());
}

TEST_F(SplashTest, StartAtLogonTakesTheSplashAwayWithTheWindow)
{
    e2e::Process app;
    ASSERT_TRUE(app.Start(e2e::QtallyPath(), "/logon"));
    // Watch closely: the splash lives only until the posted Close is handled.
    HWND splash = 0;
    DWORD seen = 0;
    for (DWORD begin = GetTickCount(); !splash && GetTickCount() - begin < 30000 && app.Running(); Sleep(2))
        if ((splash = SplashOf(app.Id())) != 0)
            seen = GetTickCount();
    ASSERT_TRUE(splash) << "no splash window";
    HWND main = app.WaitForMainWindow();
    ASSERT_TRUE(main);
    // Both out of sight well before the splash's own seven seconds.
    EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(splash) && !IsWindowVisible(main); }, 5000));
    EXPECT_LT(GetTickCount() - seen, 5000u);
    EXPECT_TRUE(e2e::WaitForStartUp(main));
    EXPECT_TRUE(app.Running()) << "the program must stay in the tray";
    EXPECT_TRUE(app.Exit());
}

} // namespace
