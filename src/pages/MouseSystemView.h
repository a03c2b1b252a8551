#pragma once

#include "devices/mouse/MouseSystemWords.h"
#include "platform/PointerSettingsApplier.h"

#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace quaro {

class COptionUI;
class CSliderUI;

// The mouse page's pointer controls: speed, precision, wheel lines or page scrolling and
// double-click time. They change the session's pointer, not the mouse. The view keeps the
// profile's system words: Show puts them on the controls without applying anything (loading a
// profile changes only the controls); each Take reaction stores the changed words through the
// page and then hands the session value to the applier, which applies it off the UI thread.
// A control the layout lacks makes its operation do nothing (getters answer false or 0).
//
// Threads: the UI thread only.
class MouseSystemView {
public:
    // Stores the words in the page's profile and saves it.
    using StoreWords = std::function<void(const MouseSystemWords& words)>;

    explicit MouseSystemView(QWidget& page) : m_page(page) {}

    // Null applies nothing (traced).
    void SetApplier(PointerSettingsApplier* applier) { m_applier = applier; }
    void SetStoreWords(StoreWords store) { m_storeWords = std::move(store); }

    void Show(const MouseSystemWords& words);
    const MouseSystemWords& Words() const { return m_words; }

    void SetPointerSpeed(int position);
    int GetPointerSpeed();
    void SetPointerPrecision(bool on);
    bool GetPointerPrecision();
    void SetScroll(bool pageScroll, int position);
    bool GetScrollPage();
    int GetScrollSpeed();
    // The session time in milliseconds the position stands for.
    unsigned SetDoubleClick(int position);
    int GetDoubleClick();
    int GetDoubleClickMax();

    // The user's changes, as the routes hand them over.
    void TakePointerSpeed();
    void TakePointerPrecision();
    void TakeScrollSpeed();
    void TakeScrollPage();
    void TakeDoubleClick();

private:
    template <class T>
    T* Find(QPointer<T>& cache, const QString& name);
    void Store();
    void Request(PointerSettingsApplier::Setting setting, unsigned value);

    QWidget& m_page;
    MouseSystemWords m_words;
    StoreWords m_storeWords;
    PointerSettingsApplier* m_applier = nullptr;
    QPointer<CSliderUI> m_speed;
    QPointer<COptionUI> m_precision;
    QPointer<CSliderUI> m_scroll;
    QPointer<COptionUI> m_scrollPage;
    QPointer<CSliderUI> m_doubleClick;
};

}  // namespace quaro
