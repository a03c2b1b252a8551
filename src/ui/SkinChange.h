#pragma once

#include <QString>

#include <cstdint>
#include <map>

namespace quaro {

// A background choice of the skin picker.
struct SkinChangedParam {
    bool bColor = false;   // true: plain colour; false: picture
    uint32_t bkcolor = 0;  // 0xAARRGGBB, with bColor
    QString bgimage;       // image description (skin-relative or absolute), without bColor
};

template <typename ReturnT, typename ParamT>
class ReceiverImplBase;

template <typename ReturnT, typename ParamT>
class ObserverImplBase {
public:
    virtual ~ObserverImplBase() = default;
    virtual void AddReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) = 0;
    virtual void RemoveReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) = 0;
    virtual ReturnT Broadcast(ParamT param) = 0;
    virtual ReturnT Notify(ParamT param) = 0;
};

template <typename ReturnT, typename ParamT>
class ReceiverImplBase {
public:
    virtual ~ReceiverImplBase() = default;
    virtual int AddObserver(ObserverImplBase<ReturnT, ParamT>* observer) = 0;
    virtual void RemoveObserver() = 0;
    virtual ReturnT Receive(ParamT param) = 0;
    virtual ReturnT Respond(ParamT param, ObserverImplBase<ReturnT, ParamT>* observer) = 0;
};

// Calls its receivers in the order they were added.
template <typename ReturnT, typename ParamT>
class ObserverImpl : public ObserverImplBase<ReturnT, ParamT> {
public:
    void AddReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) override {
        if (receiver == nullptr) {
            return;
        }
        m_receivers[m_count] = receiver;
        receiver->AddObserver(this);
        ++m_count;
    }
    void RemoveReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) override {
        for (auto it = m_receivers.begin(); it != m_receivers.end(); ++it) {
            if (it->second == receiver) {
                m_receivers.erase(it);
                return;
            }
        }
    }
    ReturnT Broadcast(ParamT param) override {
        // A receiver may remove itself while being called.
        const auto receivers = m_receivers;
        for (const auto& [key, receiver] : receivers) {
            receiver->Receive(param);
        }
        return ReturnT();
    }
    ReturnT Notify(ParamT param) override {
        const auto receivers = m_receivers;
        for (const auto& [key, receiver] : receivers) {
            receiver->Respond(param, this);
        }
        return ReturnT();
    }

private:
    int m_count = 0;
    std::map<int, ReceiverImplBase<ReturnT, ParamT>*> m_receivers;
};

// Remembers its observers, so that it leaves them all when it goes.
template <typename ReturnT, typename ParamT>
class ReceiverImpl : public ReceiverImplBase<ReturnT, ParamT> {
public:
    ~ReceiverImpl() override { RemoveObserver(); }
    int AddObserver(ObserverImplBase<ReturnT, ParamT>* observer) override {
        m_observers[m_count] = observer;
        return ++m_count;
    }
    void RemoveObserver() override {
        const auto observers = m_observers;
        m_observers.clear();
        for (const auto& [key, observer] : observers) {
            observer->RemoveReceiver(this);
        }
    }
    ReturnT Receive(ParamT param) override {
        (void)param;
        return ReturnT();
    }
    ReturnT Respond(ParamT param, ObserverImplBase<ReturnT, ParamT>* observer) override {
        (void)param;
        (void)observer;
        return ReturnT();
    }

private:
    int m_count = 0;
    std::map<int, ObserverImplBase<ReturnT, ParamT>*> m_observers;
};

using SkinChangeObserver = ObserverImpl<int, SkinChangedParam>;
using SkinChangeReceiver = ReceiverImpl<int, SkinChangedParam>;

// The process's one observer of skin changes, made on first use.
SkinChangeObserver& GetSkinChangeObserver();

}  // namespace quaro
