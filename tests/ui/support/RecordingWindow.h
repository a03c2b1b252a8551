#pragma once

#include "TempDir.h"
#include "ui/toolkit/CControlUI.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/WindowImplBase.h"

#include <QString>

#include <filesystem>
#include <vector>

namespace quaro::test {

// A window over a layout written for the test, recording every notification and message.
class RecordingWindow : public WindowImplBase {
public:
    struct Note {
        QString type;
        QString sender;
        WPARAM wParam;
        LPARAM lParam;
    };
    struct Message {
        unsigned message;
        WPARAM wParam;
        LPARAM lParam;
    };

    RecordingWindow(CResourceManager& resources, QString skinFile)
        : WindowImplBase(resources), m_skinFile(std::move(skinFile)) {}

    QString GetWindowClassName() const override { return QStringLiteral("RecordingWnd"); }
    QString GetSkinFile() const override { return m_skinFile; }
    void Notify(TNotifyUI& msg) override {
        m_notes.push_back({msg.sType, msg.pSender != nullptr ? msg.pSender->GetName() : QString(),
                           msg.wParam, msg.lParam});
    }

    // Notifications of one type, in order.
    std::vector<Note> NotesOf(const QString& type) const {
        std::vector<Note> found;
        for (const Note& note : m_notes) {
            if (note.type == type) {
                found.push_back(note);
            }
        }
        return found;
    }
    void ClearNotes() { m_notes.clear(); }
    std::vector<Message> m_messages;
    LRESULT m_reply = 0;

protected:
    LRESULT HandleCustomMessage(unsigned message, WPARAM wParam, LPARAM lParam,
                                bool& handled) override {
        m_messages.push_back({message, wParam, lParam});
        // Closing stays the window base's business.
        handled = message != msg::kWmClose && message != msg::kWmDestroy;
        return m_reply;
    }

private:
    QString m_skinFile;
    std::vector<Note> m_notes;
};

}  // namespace quaro::test
