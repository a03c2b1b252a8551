#pragma once

#include "devices/keyboard/SystemSettings.h"

#include <QPointer>
#include <QString>

#include <array>

class QWidget;

namespace quaro {

class CLabelUI;
class COptionUI;
class CRichEditUI;
class CSliderUI;

// The keyboard page's system sub-page as controls: the three flag options, the four report-rate
// and four repeat-delay options, the repeat slider, the delay label and the field in which the
// user tries the repeat. Each control is looked up by name below the page on first use and
// kept; a control the layout lacks makes its operation do nothing (getters answer false or 0).
// Showing values never raises a notification, so showing never writes anything anywhere.
//
// Threads: the UI thread only.
class KeyboardSystemView {
public:
    static constexpr int kOptionCount = 4;

    explicit KeyboardSystemView(QWidget& page) : m_page(page) {}

    // n outside 0-3 selects option 0.
    void SetReportRateOption(int n);
    void SetRepeatDelayOption(int n);
    // "Repeat_Delay_Time" followed by 250, 500, 750 or 1000 and "ms".
    void ShowRepeatDelay(int n);
    void SetWinLock(bool on);
    void SetWFlag(bool on);
    void SetKey6Flag(bool on);
    bool GetWinLock();
    bool GetWFlag();
    bool GetKey6Flag();
    void SetRepeatRate(int value);
    int GetRepeatRate();
    void ClearRepeatField();
    void SetRepeatFieldTip();

    // Every value of the stored settings, as the profile holds them.
    void Show(const SystemSettings& settings);

    // The language text of id through the hidden label "text_test"; empty without the label.
    QString LanguageText(const QString& id);

private:
    template <class T>
    T* Find(QPointer<T>& cache, const QString& name);
    void SelectOne(std::array<QPointer<COptionUI>, kOptionCount>& options, const QString& prefix,
                   int n);

    QWidget& m_page;
    QPointer<COptionUI> m_winLock;
    QPointer<COptionUI> m_wFlag;
    QPointer<COptionUI> m_key6Flag;
    std::array<QPointer<COptionUI>, kOptionCount> m_reportRate;
    std::array<QPointer<COptionUI>, kOptionCount> m_repeatDelay;
    QPointer<CSliderUI> m_repeatRate;
    QPointer<CLabelUI> m_delayLabel;
    QPointer<CRichEditUI> m_repeatField;
    QPointer<CLabelUI> m_textTest;
};

}  // namespace quaro
