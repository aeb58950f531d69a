// The resource owners: each frees what it holds exactly once, a moved-from
// owner frees nothing, and a selection puts the DC's old object back.
#include <gtest/gtest.h>

#include <utility>

#include <windows.h>

#include "support/Owned.h"
#include "tests/common/TestFiles.h"

namespace {

bool HandleIsOpen(HANDLE h)
{
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

HANDLE NewEvent()
{
    return CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

TEST(OwnedTest, HandleClosedOnceAndNeverByMovedFromOwner)
{
    HANDLE first = NewEvent(), second = NewEvent();
    ASSERT_TRUE(first && second);
    {
        OwnedHandle outer(second);
        {
            OwnedHandle inner(first);
            outer = std::move(inner);          // second is closed here
            EXPECT_FALSE(inner.IsValid());
            EXPECT_FALSE(HandleIsOpen(second));
        }
        // inner has ended: its handle lives on in outer.
        EXPECT_EQ(outer.Get(), first);
        EXPECT_TRUE(HandleIsOpen(first));
        OwnedHandle moved(std::move(outer));
        EXPECT_FALSE(outer.IsValid());
        EXPECT_TRUE(HandleIsOpen(first));
    }
    EXPECT_FALSE(HandleIsOpen(first));

    HANDLE kept = NewEvent();
    {
        OwnedHandle owner(kept);
        EXPECT_EQ(owner.Detach(), kept);
    }
    EXPECT_TRUE(HandleIsOpen(kept));
    CloseHandle(kept);
}

TEST(OwnedTest, FileOwnerTellsOpenFromInvalidAndReportsClose)
{
    std::string path = testfiles::TempPath("owned_test.txt");
    OwnedFile missing(CreateFileA((path + ".none\\x").c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0));
    EXPECT_FALSE(missing.IsValid());
    EXPECT_TRUE(missing.Close());   // nothing to close is no failure

    OwnedFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0));
    ASSERT_TRUE(file.IsValid());
    HANDLE raw = file.Get();
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.IsValid());
    EXPECT_FALSE(HandleIsOpen(raw));
    // Closed once: a second Close has nothing left to do.
    EXPECT_TRUE(file.Close());
    DeleteFileA(path.c_str());
}

TEST(OwnedTest, RegistryKeyReturnsTheSystemsResultAndCloses)
{
    const char name[] = "Software\\QtOwnedTest";
    RegDeleteKeyA(HKEY_CURRENT_USER, name);
    HKEY raw = nullptr;
    {
        RegistryKey key;
        EXPECT_EQ(key.Open(HKEY_CURRENT_USER, name, KEY_READ), ERROR_FILE_NOT_FOUND);
        EXPECT_FALSE(key.IsOpen());
        DWORD disposition = 0;
        ASSERT_EQ(key.Create(HKEY_CURRENT_USER, name, KEY_ALL_ACCESS, &disposition), ERROR_SUCCESS);
        EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
        EXPECT_EQ(key.SetText("Value", "text"), ERROR_SUCCESS);
        char text[16] = "";
        DWORD type = 0, size = sizeof text;
        EXPECT_EQ(key.QueryValue("Value", &type, text, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, DWORD(REG_SZ));
        EXPECT_STREQ(text, "text");
        EXPECT_EQ(key.QueryValue("Absent", &type, text, &size), ERROR_FILE_NOT_FOUND);
        ASSERT_EQ(key.Create(HKEY_CURRENT_USER, name, KEY_ALL_ACCESS, &disposition), ERROR_SUCCESS);
        EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
        DWORD values = 0;
        raw = key.Get();
        EXPECT_EQ(RegQueryInfoKeyA(raw, 0, 0, 0, 0, 0, 0, &values, 0, 0, 0, 0), ERROR_SUCCESS);
        EXPECT_EQ(values, 1u);
    }
    DWORD values = 0;
    EXPECT_NE(RegQueryInfoKeyA(raw, 0, 0, 0, 0, 0, 0, &values, 0, 0, 0, 0), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, name), ERROR_SUCCESS);
}

TEST(OwnedTest, SelectionIsUndoneBeforeItsObjectIsDeleted)
{
    WindowDC screen(nullptr);
    ASSERT_NE(screen.Get(), nullptr);
    HDC raw = nullptr;
    HBITMAP picture = nullptr;
    HFONT font = nullptr;
    {
        OwnedMemoryDC memory(CreateCompatibleDC(screen.Get()));
        ASSERT_TRUE(memory.IsValid());
        raw = memory.Get();
        HGDIOBJ oldBitmap = GetCurrentObject(raw, OBJ_BITMAP);
        HGDIOBJ oldFont = GetCurrentObject(raw, OBJ_FONT);
        {
            OwnedBitmap ownedPicture(CreateCompatibleBitmap(screen.Get(), 4, 4));
            OwnedFont ownedFont(CreateFontA(12, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial"));
            picture = ownedPicture.Get();
            font = ownedFont.Get();
            ASSERT_TRUE(picture && font);
            SelectedObject selectedPicture(raw, picture);
            SelectedObject selectedFont(raw, font);
            EXPECT_TRUE(selectedPicture.IsSelected());
            EXPECT_EQ(GetCurrentObject(raw, OBJ_BITMAP), picture);
            EXPECT_EQ(GetCurrentObject(raw, OBJ_FONT), font);
        }
        // Both selections undone, both objects deleted, the DC still whole.
        EXPECT_EQ(GetCurrentObject(raw, OBJ_BITMAP), oldBitmap);
        EXPECT_EQ(GetCurrentObject(raw, OBJ_FONT), oldFont);
        EXPECT_EQ(GetObjectType(picture), 0u);
        EXPECT_EQ(GetObjectType(font), 0u);
        EXPECT_EQ(GetObjectType(raw), DWORD(OBJ_MEMDC));

        SelectedObject nothing(raw, nullptr);
        EXPECT_FALSE(nothing.IsSelected());
        EXPECT_EQ(GetCurrentObject(raw, OBJ_BITMAP), oldBitmap);
    }
    EXPECT_EQ(GetObjectType(raw), 0u);
}

TEST(OwnedTest, ClipboardAndGlobalLockEndWithTheirOwners)
{
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, 0, 0, 0, 0);
    ASSERT_NE(window, nullptr);
    {
        OpenedClipboard clipboard(window);
        ASSERT_TRUE(clipboard.IsOpen());
        EXPECT_EQ(GetOpenClipboardWindow(), window);
    }
    EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
    DestroyWindow(window);

    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(memory, nullptr);
    {
        GlobalLocked locked(memory);
        ASSERT_NE(locked.Get(), nullptr);
        EXPECT_EQ(GlobalFlags(memory) & GMEM_LOCKCOUNT, 1u);
    }
    EXPECT_EQ(GlobalFlags(memory) & GMEM_LOCKCOUNT, 0u);
    GlobalFree(memory);
}

// Counts its references; the owner must leave it at zero exactly once.
class Counted : public IUnknown {
public:
    LONG count = 1;
    STDMETHODIMP QueryInterface(REFIID, void** out) override
    {
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++count; }
    STDMETHODIMP_(ULONG) Release() override { return --count; }
};

TEST(OwnedTest, ComPointerReleasesOnceAndMovesWithoutReleasing)
{
    Counted a, b;
    {
        ComPtr<IUnknown> first;
        a.QueryInterface(IID_IUnknown, first.Receive());   // a: 2
        EXPECT_EQ(a.count, 2);
        ComPtr<IUnknown> second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(a.count, 2);
        // Receiving into a filled owner releases what it held.
        b.QueryInterface(IID_IUnknown, second.Receive());
        EXPECT_EQ(a.count, 1);
        EXPECT_EQ(b.count, 2);
    }
    EXPECT_EQ(a.count, 1);
    EXPECT_EQ(b.count, 1);
}

}
