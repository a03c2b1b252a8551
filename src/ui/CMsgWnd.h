#pragma once

#include "ui/toolkit/WindowImplBase.h"

namespace quaro {

// The skin's own modal message box: a title, one message (normally a language id) and OK, or
// OK and Cancel. From the keyboard: Enter presses the focused button (OK when it opens),
// Escape cancels, Tab moves between the buttons.
class CMsgWnd : public WindowImplBase {
public:
    explicit CMsgWnd(CResourceManager& resources, QWidget* owner = nullptr);

    // 1 when "confirm_btn" was pressed; 0 for "cancel_btn", "closebtn" or any other close.
    // buttons: 0 OK only, 1 OK and Cancel, other values keep the layout's buttons. scale: one
    // of 48, 72, 96, 120, 144, 168, 192; any other is traced and replaced by 96.
    static int ShowMessage(CResourceManager& resources, QWidget* owner, const QString& title,
                           const QString& text, int scale = 96, bool textIsLanguageId = true,
                           int buttons = 0);

    // The scale ShowMessage uses for a requested one.
    static int AcceptedScale(int scale);

    // Fills the box before it is run; ShowMessage is this followed by a modal run.
    void Prepare(const QString& title, const QString& text, int scale, bool textIsLanguageId,
                 int buttons);

    QString GetWindowClassName() const override { return QStringLiteral("MsgWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("XML_MSG"); }
    void Notify(TNotifyUI& msg) override;

protected:
    void InitWindow() override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

}  // namespace quaro
