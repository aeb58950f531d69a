// WordCountDialog: the application's main dialog and tray icon.
#ifndef QT_WORDCOUNT_WORDCOUNTDIALOG_H
#define QT_WORDCOUNT_WORDCOUNTDIALOG_H

#include "ui/Dialog.h"
#include "ui/SplashScreen.h"

// Callback message of the tray icon.
#define WM_LNOTIFYICON (WM_USER + 20)

class WordCountDialog : public LDialog {
public:
    WordCountDialog();
    ~WordCountDialog() override;

    // Closes the splash if it is still up; WinMain calls it once the dialog ends.
    void CloseSplash();
    // The status line's timer: shows the next text of the rotation.
    void RotateStatusText(UINT_PTR timerId);
    // The tray menu's Exit: saves the settings and ends the dialog.
    void CmExit();

protected:
    void InitDialog() override;
    bool CmOk() override;
    bool CmCancel() override;
    void CmHelp() override;
    void EnableControls() override;
    void Command(WORD id, WORD code) override;
    void DestroyDialog() override;
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Text, counts and price
    void UpdateText();
    void UpdateCosts();
    void SetMoneyText(int id, double amount);
    double GetMoneyValue(int id);

    // Hot key
    void HotKeyOpen();
    void HotKeyClose();
    void HotKeyRestart();
    void HotKeyHit();
    void CmChangeKey();

    // CSV job log
    void CmAddToCsv();

    // Window, tray and status line
    void SetWindowIcons();
    void TrayIconAdd();
    void TrayIconDelete();
    void TrayMenu();
    void CmOpen();
    void CmClose();
    void CmHelpAbout();
    // A notice about the text shown stays in the status line until the next
    // reading of the clipboard; none (0) brings the rotation back.
    void ShowStatusNotice(const char* text);
    void ToggleSettings();
    void PlaceWindow(int clientHeight);

    static void SetRunAtLogon(const char* programPath);
    static void RemoveRunAtLogon();

    double totalCost = 0;
    LSplashScreen splash;
    BYTE settingsShown = 0;
    int statusIndex = 0;
    char* capturedText = nullptr;   // the last captured text; lines are counted from it
    const char* statusNotice = nullptr;   // shown in the status line instead of the rotation
};

#endif
