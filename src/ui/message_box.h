// The program's own message box (dialog 104): a skinned box with a title, a
// wrapped message and one button, or two for a confirmation, reached through
// three functions that each refuse to open a second box of their own while
// one is open. Texts are in the system code page. Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "ui/skin_button.h"
#include "ui/skin_dialog.h"

namespace vt::ui {

// Results of the message box functions.
constexpr int kBoxRefused = 0;  // a box of the same function was already open
constexpr int kBoxOk = 1;       // the OK button
constexpr int kBoxCancel = 2;   // the cancel or close button

class CMsgBoxDlg : public CSkinDialog {
  public:
    CMsgBoxDlg();

    // Set by the caller before the box runs.
    std::string title;
    std::string message;
    bool twoButtons = false;  // the confirmation form
    std::string okText;       // empty: string 134 "确定"
    std::string cancelText;

    CSkinButtonEx& CloseButton() { return closeButton_; }
    CSkinButtonEx& OkButton() { return okButton_; }
    CSkinButtonEx& CancelButton() { return cancelButton_; }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    CSkinButtonEx closeButton_;
    CSkinButtonEx okButton_;
    CSkinButtonEx cancelButton_;
};

// One-button box owned by the thread's active window; a null title is
// string 130 "提示". kBoxOk or kBoxCancel (close button), kBoxRefused while
// a ShowMessage box is open.
int ShowMessage(const std::string& text, const char* title = nullptr);
// The same box owned by parent (the desktop window when null), with its own
// guard.
int ShowMessageOver(HWND parent, const std::string& text, const char* title = nullptr);
// The confirmation form with the given button texts (an empty OK text is
// "确定"), owned as ShowMessage's, with its own guard: kBoxOk, kBoxCancel
// (cancel or close button) or kBoxRefused.
int AskConfirm(const std::string& text, const char* title, const std::string& okText,
               const std::string& cancelText);

}  // namespace vt::ui
