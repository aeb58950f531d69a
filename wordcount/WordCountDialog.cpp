// WordCountDialog: the application's window, its tray icon and its settings.
#include "wordcount/WordCountDialog.h"

#include "resources/resource.h"
#include "support/File.h"
#include "support/NumberText.h"
#include "support/Owned.h"
#include "support/ProductNames.h"
#include "support/Settings.h"
#include "support/TextHelpers.h"
#include "ui/GIFHost.h"
#include "wordcount/AddToCsvDialog.h"
#include "wordcount/Pricing.h"
#include "wordcount/TextMeasures.h"

#include <shellapi.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kSettings[] = QT_SETTINGS_SECTION;
const char kMakerPage[] = "https://www.corvane.example/";

enum {
    STATUS_TIMER = 1,
    TRAY_ICON_ID = 24,
};

// The main window's geometry in dialog units, as the dialog template lays
// it out: the client area is this wide, and this tall with the settings
// group shown; hiding the group cuts it off at the status line.
enum {
    CLIENT_WIDTH = 397,
    FULL_HEIGHT = 344,
    SHORT_HEIGHT = 290,
    // The status line sits at the bottom edge of either height, full width.
    STATUS_LINE_HEIGHT = 11,
    STATUS_LINE_TOP_FULL = FULL_HEIGHT - 10,
    STATUS_LINE_TOP_SHORT = SHORT_HEIGHT - 10,
};

// Where the window first appears, in pixels from the desktop's top left:
// clear of the icons at the left edge; pulled back in when the desktop is
// too small to show it there.
const int kWindowLeft = 120;
const int kWindowTop = 30;

// The status line: the rotation starts at once, and each text then stays
// long enough to be read.
const UINT kFirstStatusMs = 500;
const UINT kStatusTextMs = 8000;

// The standard icon sizes for the caption (small) and Alt+Tab (big).
const int kSmallIcon = 16;
const int kBigIcon = 32;

// How long to wait for another program to close the clipboard.
const DWORD kClipboardBusyMs = 500;

struct RateBox {
    int id;
    const char* name;
    const char* defaultText;
};

const RateBox kRateBoxes[] = {
    {IDC_FIXEDCOST, "FixedCostAmount", "0.00"},
    {IDC_COSTPERCHAR, "CostPerCharacter", "0.00"},
    {IDC_COSTPERWORD, "CostPerWord", "0.02"},
    {IDC_CHARSPERLINE, "CharacterPerLine", "80"},
    {IDC_COSTPERLINE, "CostPerLine", "0.00"},
};

// Ends with an empty entry; the rotation starts over there.
const char* const kStatusTexts[] = {
    QT_PRODUCT_AND_VERSION,
    "Corvane Pedalnote: play, pause and rewind recordings with a foot pedal",
    "Corvane Invoicery turns your Quilltally job log into invoices",
    "Corvane Spellfold checks your spelling in any editor",
    "More tools for typists and transcribers at www.corvane.example",
    "",
};

// Sent by the shell when the taskbar is (re)created, e.g. after Explorer restarts.
// Registered by hand: a guarded local static would drag the C++ runtime's
// thread-safe initialisation and terminate handler into the program.
UINT TaskbarCreatedMessage()
{
    static UINT message;
    if (!message)
        message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// Set at a start at logon until the window is first shown. One main dialog
// per process.
bool hideWhenShown = false;

// The clipboard's text as a new[] copy, or null when it holds none; the
// clipboard is open. The data comes from another program: never read past
// its block, even when the terminator is missing.
char* CopyClipboardText()
{
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data)
        return nullptr;
    SIZE_T size = GlobalSize(data);
    GlobalLocked locked(data);
    const char* text = static_cast<const char*>(locked.Get());
    if (!text || !size)
        return nullptr;
    const void* end = memchr(text, 0, size);
    size_t length = end ? static_cast<const char*>(end) - text : size;
    char* copy = new char[length + 1];
    memcpy(copy, text, length);
    copy[length] = 0;
    return copy;
}

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

} // namespace

WordCountDialog::WordCountDialog() {}

WordCountDialog::~WordCountDialog()
{
    CloseSplash();
    // Only left over when the window never came up.
    delete[] capturedText;
    capturedText = nullptr;
}

void WordCountDialog::CloseSplash()
{
    if (splash.hwndSplash && IsWindow(splash.hwndSplash))
        DestroyWindow(splash.hwndSplash);
}

void WordCountDialog::SetWindowIcons()
{
    // The window holds the icons it is given while it lives; a replaced one
    // is ours to destroy.
    HICON bigIcon = static_cast<HICON>(LoadImageA(g_hInstance, MAKEINTRESOURCEA(IDI_QUILLTALLY), IMAGE_ICON, kBigIcon, kBigIcon, 0));
    if (HICON old = reinterpret_cast<HICON>(SendMessageA(hwndDlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon))))
        DestroyIcon(old);
    HICON smallIcon = static_cast<HICON>(LoadImageA(g_hInstance, MAKEINTRESOURCEA(IDI_QUILLTALLY), IMAGE_ICON, kSmallIcon, kSmallIcon, 0));
    if (HICON old = reinterpret_cast<HICON>(SendMessageA(hwndDlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon))))
        DestroyIcon(old);
}

void WordCountDialog::InitDialog()
{
    PlaceWindow(FULL_HEIGHT);
    splash.Open(hwndDlg, MAKEINTRESOURCEA(IDB_SPLASH));
    SetWindowIcons();
    TrayIconAdd();

    // Each assignment reports a change and so reprices.
    char text[260];
    for (const RateBox& box : kRateBoxes) {
        ReadSetting(kSettings, box.name, box.defaultText, text);
        SetDlgItemTextA(hwndDlg, box.id, text);
    }

    UpdateText();

    CheckDlgButton(hwndDlg, IDC_HOTKEYON, ReadSettingFlag(kSettings, "HotKeyOn", true) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwndDlg, IDC_AUTOSELECT, ReadSettingFlag(kSettings, "HotKeyAutoSelect", true) ? BST_CHECKED : BST_UNCHECKED);
    settingsShown = 1;
    HotKeyOpen();
    SetTimer(hwndDlg, STATUS_TIMER, kFirstStatusMs, 0);

    // A start at logon leaves only the tray icon. The modal loop shows the
    // window when the queue first runs empty, so a Close posted now would be
    // undone: it is posted when that first showing happens.
    hideWhenShown = __argc > 1 && strcmp(__argv[1], "/logon") == 0;

    // The banner page beside the program: start-up made its folder current.
    char page[QT_PATH_SIZE];
    DWORD length = GetCurrentDirectoryA(sizeof page, page);
    if (length == 0 || length >= sizeof page)
        page[0] = 0;
    LFile::FilePathCat(page, "banner.htm");
    LGIFHost::Show(GetDlgItem(hwndDlg, IDC_BANNER), page);
}

bool WordCountDialog::CmOk()
{
    return false;   // Enter never closes the main window
}

bool WordCountDialog::CmCancel()
{
    if (IsChecked(hwndDlg, IDC_HOTKEYON)) {
        ShowWindow(hwndDlg, SW_HIDE);
        return false;
    }
    return true;
}

void WordCountDialog::CmHelp()
{
    DisplayHelpContents();
}

void WordCountDialog::EnableControls()
{
    bool on = IsChecked(hwndDlg, IDC_HOTKEYON);
    EnableItem(IDC_CHANGEKEY, on);
    EnableItem(IDC_AUTOSELECT, on);
    EnableItem(IDC_KEYNAME, on);
}

void WordCountDialog::Command(WORD id, WORD code)
{
    switch (id) {
    case IDC_FIXEDCOST:
    case IDC_COSTPERCHAR:
    case IDC_COSTPERWORD:
    case IDC_CHARSPERLINE:
    case IDC_COSTPERLINE:
        if (code == EN_CHANGE)
            UpdateCosts();
        break;
    case IDC_UPDATETEXT:
        UpdateText();
        break;
    case IDC_ADDTOCSV:
        CmAddToCsv();
        break;
    case IDC_CHANGEKEY:
        CmChangeKey();
        break;
    case IDC_HOTKEYON:
        HotKeyRestart();
        break;
    case IDC_ABOUT:
        CmHelpAbout();
        break;
    case IDC_TOGGLESETTINGS:
        ToggleSettings();
        break;
    case IDC_STATUSLINE:
        // Without a browser the click does nothing; nothing else needs it.
        if (code == STN_CLICKED)
            ShellExecuteA(0, 0, kMakerPage, 0, 0, SW_SHOWNORMAL);
        break;
    case IDM_OPEN:
        CmOpen();
        break;
    case IDM_CLOSE:
        CmClose();
        break;
    case IDM_EXIT:
        CmExit();
        break;
    }
}

void WordCountDialog::DestroyDialog()
{
    delete[] capturedText;
    capturedText = nullptr;
    HotKeyClose();
    TrayIconDelete();

    char text[260];
    for (const RateBox& box : kRateBoxes) {
        GetItemText(box.id, text);
        WriteSetting(kSettings, box.name, text);
    }
    bool hotKeyOn = IsChecked(hwndDlg, IDC_HOTKEYON);
    WriteSettingFlag(kSettings, "HotKeyOn", hotKeyOn);
    WriteSettingFlag(kSettings, "HotKeyAutoSelect", IsChecked(hwndDlg, IDC_AUTOSELECT));

    if (hotKeyOn) {
        char path[MAX_PATH];
        DWORD n = GetModuleFileNameA(0, path, sizeof path);
        if (n > 0 && n < sizeof path)
            SetRunAtLogon(path);
    } else {
        RemoveRunAtLogon();
    }
}

INT_PTR WordCountDialog::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_TIMER:
        RotateStatusText(wParam);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_STATUSLINE) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkMode(dc, TRANSPARENT);
            SetBkColor(dc, RGB(0xAA, 0xAA, 0xAA));
            SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
            return reinterpret_cast<INT_PTR>(GetStockObject(GRAY_BRUSH));
        }
        return 0;
    case WM_HOTKEY:
        HotKeyHit();
        return TRUE;
    case WM_SHOWWINDOW:
        if (wParam && hideWhenShown) {
            hideWhenShown = false;
            PostMessageA(hwndDlg, WM_COMMAND, IDM_CLOSE, 0);
        }
        break;
    case WM_LNOTIFYICON:
        switch (LOWORD(lParam)) {
        case WM_LBUTTONUP:
            CmOpen();
            break;
        case WM_RBUTTONDOWN:
        case WM_CONTEXTMENU:
            TrayMenu();
            break;
        }
        return TRUE;
    }
    if (msg == TaskbarCreatedMessage() && msg != 0) {
        TrayIconAdd();
        return TRUE;
    }
    return LDialog::DialogProc(msg, wParam, lParam);
}

void WordCountDialog::UpdateText()
{
    char summary[QT_SUMMARY_SIZE] = "";
    int characters = 0;
    int words = 0;
    // Without text on the clipboard the job is empty: no lines of an older text
    // may stay in the price.
    delete[] capturedText;
    capturedText = nullptr;

    // Another program may hold the clipboard open for a moment, for example
    // the editor that is still copying.
    bool opened;
    {
        OpenedClipboard clipboard(0);
        for (DWORD start = GetTickCount(); !clipboard.IsOpen() && GetTickCount() - start < kClipboardBusyMs;) {
            Sleep(10);
            clipboard.TryAgain();
        }
        opened = clipboard.IsOpen();
        if (opened)
            capturedText = CopyClipboardText();
    }

    if (capturedText) {
        AbbreviateText(capturedText, summary);
        characters = CountCharacters(capturedText);
        words = CountWords(capturedText);
    }
    SetDlgItemTextA(hwndDlg, IDC_SUMMARY, summary);
    SetDlgItemInt(hwndDlg, IDC_CHARACTERS, characters, TRUE);
    SetDlgItemInt(hwndDlg, IDC_WORDS, words, TRUE);
    UpdateCosts();
    ShowStatusNotice(opened ? nullptr : "Another program holds the clipboard: press Update Text to read it again.");
}

void WordCountDialog::UpdateCosts()
{
    char width[260], characters[260], words[260];
    char fixedCost[260], costPerCharacter[260], costPerWord[260], costPerLine[260];
    GetItemText(IDC_CHARSPERLINE, width);
    GetItemText(IDC_CHARACTERS, characters);
    GetItemText(IDC_WORDS, words);
    GetItemText(IDC_FIXEDCOST, fixedCost);
    GetItemText(IDC_COSTPERCHAR, costPerCharacter);
    GetItemText(IDC_COSTPERWORD, costPerWord);
    GetItemText(IDC_COSTPERLINE, costPerLine);

    PriceInput input = {capturedText, width, characters, words,
                        fixedCost, costPerCharacter, costPerWord, costPerLine};
    PriceResult price = ComputePrice(input);

    SetDlgItemInt(hwndDlg, IDC_LINES, price.lines, TRUE);
    totalCost = price.total;
    SetMoneyText(IDC_CHARCOST, price.charactersCost);
    SetMoneyText(IDC_WORDCOST, price.wordsCost);
    SetMoneyText(IDC_LINECOST, price.linesCost);
    SetMoneyText(IDC_TOTALCOST, price.total);
}

void WordCountDialog::SetMoneyText(int id, double amount)
{
    char text[260];
    FormatMoney(amount, text, sizeof text);
    SetDlgItemTextA(hwndDlg, id, text);
}

double WordCountDialog::GetMoneyValue(int id)
{
    char text[260];
    GetItemText(id, text);
    return ReadRateText(text);
}

void WordCountDialog::CmAddToCsv()
{
    // The job as shown: the total is the rounded figure on the screen.
    AddToCsvDialog dialog(GetDlgItemInt(hwndDlg, IDC_CHARACTERS, 0, TRUE),
                          GetDlgItemInt(hwndDlg, IDC_WORDS, 0, TRUE),
                          GetDlgItemInt(hwndDlg, IDC_LINES, 0, TRUE),
                          GetMoneyValue(IDC_TOTALCOST));
    dialog.Open(hwndDlg, MAKEINTRESOURCEA(IDD_ADDTOCSV));
}

void WordCountDialog::TrayIconAdd()
{
    // Without its icon or a taskbar (none yet early at logon) there is no
    // tray icon; the shell's TaskbarCreated brings it back here.
    OwnedIcon icon(static_cast<HICON>(LoadImageA(g_hInstance, MAKEINTRESOURCEA(IDI_QUILLTALLY), IMAGE_ICON, kSmallIcon, kSmallIcon, 0)));
    if (!icon.IsValid())
        return;
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = hwndDlg;
    data.uID = TRAY_ICON_ID;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_LNOTIFYICON;
    data.hIcon = icon.Get();   // the shell keeps its own copy
    strcpy(data.szTip, QT_PRODUCT_NAME);
    Shell_NotifyIconA(NIM_ADD, &data);
}

void WordCountDialog::TrayIconDelete()
{
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = hwndDlg;
    data.uID = TRAY_ICON_ID;
    Shell_NotifyIconA(NIM_DELETE, &data);
}

void WordCountDialog::TrayMenu()
{
    SetForegroundWindow(hwndDlg);
    POINT cursor;
    GetCursorPos(&cursor);
    OwnedMenu menu(LoadMenuA(g_hInstance, MAKEINTRESOURCEA(IDM_TRAY)));
    if (!menu.IsValid())
        return;
    HMENU popup = GetSubMenu(menu.Get(), 0);
    SetMenuDefaultItem(popup, IDM_OPEN, FALSE);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwndDlg, 0);
    // Lets the menu close when the user clicks elsewhere next time.
    PostMessageA(hwndDlg, WM_NULL, 0, 0);
}

void WordCountDialog::CmOpen()
{
    ShowWindow(hwndDlg, SW_RESTORE);
    SetForegroundWindow(hwndDlg);
}

void WordCountDialog::CmClose()
{
    CloseSplash();
    ShowWindow(hwndDlg, SW_HIDE);
}

void WordCountDialog::CmExit()
{
    HWND window = hwndDlg;
    DestroyDialog();
    hwndDlg = 0;   // nothing may reach the object any more
    EndDialog(window, IDCANCEL);
}

void WordCountDialog::CmHelpAbout()
{
    LDialog about;
    about.Open(hwndDlg, "AboutDlg");
}

void WordCountDialog::RotateStatusText(UINT_PTR timerId)
{
    KillTimer(hwndDlg, timerId);
    if (timerId != STATUS_TIMER)
        return;
    if (statusNotice) {
        // Nobody may miss it for an advertisement.
        SetTimer(hwndDlg, STATUS_TIMER, kStatusTextMs, 0);
        return;
    }
    if (!kStatusTexts[statusIndex][0])
        statusIndex = 0;
    SetDlgItemTextA(hwndDlg, IDC_STATUSLINE, kStatusTexts[statusIndex]);
    ++statusIndex;
    SetTimer(hwndDlg, STATUS_TIMER, kStatusTextMs, 0);
}

void WordCountDialog::ShowStatusNotice(const char* text)
{
    if (text == statusNotice)
        return;
    statusNotice = text;
    // Back to the rotation: the text shown before the notice.
    if (!text)
        text = statusIndex > 0 ? kStatusTexts[statusIndex - 1] : "";
    SetDlgItemTextA(hwndDlg, IDC_STATUSLINE, text);
}

void WordCountDialog::ToggleSettings()
{
    if (settingsShown) {
        SetDlgItemTextA(hwndDlg, IDC_TOGGLESETTINGS, "Show Settings >>");
        PlaceWindow(SHORT_HEIGHT);
        settingsShown = 0;
        MoveItem(IDC_STATUSLINE, 0, STATUS_LINE_TOP_SHORT, CLIENT_WIDTH, STATUS_LINE_HEIGHT);
        HideItem(IDC_SETTINGSGROUP, true);
    } else {
        SetDlgItemTextA(hwndDlg, IDC_TOGGLESETTINGS, "<< Hide Settings");
        PlaceWindow(FULL_HEIGHT);
        settingsShown = 1;
        MoveItem(IDC_STATUSLINE, 0, STATUS_LINE_TOP_FULL, CLIENT_WIDTH, STATUS_LINE_HEIGHT);
        HideItem(IDC_SETTINGSGROUP, false);
    }
}

void WordCountDialog::PlaceWindow(int clientHeight)
{
    RECT client = {0, 0, CLIENT_WIDTH, clientHeight};
    MapDialogRect(hwndDlg, &client);
    RECT window, current, desktop;
    GetWindowRect(hwndDlg, &window);
    GetClientRect(hwndDlg, &current);
    GetWindowRect(GetDesktopWindow(), &desktop);

    // The frame and caption keep the sizes they have now.
    int width = (client.right - client.left) + (window.right - window.left) - (current.right - current.left);
    int height = (client.bottom - client.top) + (window.bottom - window.top) - (current.bottom - current.top);
    int left = kWindowLeft;
    int top = kWindowTop;
    if (left + width > desktop.right)
        left = desktop.right - width;
    if (top + height > desktop.bottom)
        top = desktop.bottom - height;
    if (left < 0)
        left = 0;
    if (top < 0)
        top = 0;
    MoveWindow(hwndDlg, left, top, width, height, TRUE);
}

void WordCountDialog::SetRunAtLogon(const char* programPath)
{
    // Quoted: unquoted, a path with spaces would first be tried as C:\Program.exe.
    char command[MAX_PATH + 16];
    size_t n = strlen(programPath);
    if (n >= MAX_PATH)
        return;
    command[0] = '"';
    memcpy(command + 1, programPath, n);
    strcpy(command + 1 + n, "\" /logon");

    // Without the right to the key (a user who is no administrator) the
    // program simply does not start at logon; nothing else depends on it.
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, QT_RUN_KEY, KEY_SET_VALUE) != ERROR_SUCCESS)
        return;
    key.SetText(QT_RUN_VALUE, command);
}

void WordCountDialog::RemoveRunAtLogon()
{
    // No key or no value: there is nothing to stop.
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, QT_RUN_KEY, KEY_SET_VALUE) != ERROR_SUCCESS)
        return;
    key.DeleteValue(QT_RUN_VALUE);
}
