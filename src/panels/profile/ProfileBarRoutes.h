#pragma once

#include "panels/profile/CDeviceProfileUI.h"
#include "ui/toolkit/UIDefs.h"

#include <QString>

#include <functional>
#include <optional>

namespace quaro {

class CResourceManager;
class IProfileFileChooser;
class IProfilePage;

// What the profile bar's controls do, by control name: the window hands each notification of
// its current page to Dispatch. Every failure the user did not ask for is shown, and nothing
// that failed is passed on to the page as if it had happened.
class ProfileBarRoutes {
public:
    // Shows the message of a language id; with a number, its text is a format taking it.
    using Presenter = std::function<void(const char* messageId, std::optional<int> number)>;

    ProfileBarRoutes(CDeviceProfileUI& bar, IProfilePage& page, IProfileFileChooser& files,
                     Presenter presenter);

    // The skin's message box over the bar's window.
    static Presenter MessageBoxes(CResourceManager& resources, const CDeviceProfileUI& bar,
                                  int scale = 96);

    // The page gives the bar its kind and folders, lets it read its list and opens tab 1; then
    // it takes the current profile.
    void SetUp();

    // True when a route of the bar took the notification.
    bool Dispatch(const TNotifyUI& msg);

    // The page's answer after a reset wrote the keyboard's macros: -1 they could not be
    // written; another non-zero count is how far they exceed the device's memory.
    void ReportResetMacroWrite(int count);

private:
    using Handler = void (ProfileBarRoutes::*)(const TNotifyUI& msg);
    struct Route {
        const QString& type;
        const char* name;
        Qt::CaseSensitivity nameCase;
        Handler handler;
    };
    static const Route kRoutes[];

    void OnAdd(const TNotifyUI& msg);
    void OnDelete(const TNotifyUI& msg);
    void OnCopy(const TNotifyUI& msg);
    void OnExport(const TNotifyUI& msg);
    void OnImport(const TNotifyUI& msg);
    void OnReset(const TNotifyUI& msg);
    void OnRename(const TNotifyUI& msg);
    void OnSpread(const TNotifyUI& msg);
    void OnOptionTab(const TNotifyUI& msg);
    void OnProfileChosen(const TNotifyUI& msg);

    // The page follows the bar's current profile.
    void ApplyCurrentProfile();
    // Failed changes are told; refusals stay silent.
    void TellFailure(ProfileChange change, const char* messageId);

    CDeviceProfileUI& m_bar;
    IProfilePage& m_page;
    IProfileFileChooser& m_files;
    Presenter m_presenter;
};

}  // namespace quaro
