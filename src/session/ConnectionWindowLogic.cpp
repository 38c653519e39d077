#include "session/ConnectionWindowLogic.h"

#include "session/FsMessages.h"

namespace corvane::session {

namespace {
constexpr size_t kTrailLength = 64;
}

ConnectionWindowLogic::ConnectionWindowLogic(SessionObjects& objects, const ChosenAirport& airport,
                                             MessageBoxes& boxes, const Clock& clock)
    : objects_(objects), airport_(airport), boxes_(boxes), clock_(clock) {}

void ConnectionWindowLogic::Load() {
    state_.Text2 = airport_.AirportName + "_Controller";
    if (!OpenDirectPlay(objects_)) {
        boxes_.Show(BoxIcon::Exclamation, kOpenDirectPlayFailedText);
    }
    state_.List1.clear();
    if (objects_.ConnectionList) {
        // The first connection type is never offered.
        for (size_t i = 1; i < objects_.ConnectionList->size(); ++i) {
            state_.List1.push_back((*objects_.ConnectionList)[i].displayName);
        }
    }
}

void ConnectionWindowLogic::SelectConnection(int row) {
    state_.List1Index = row;
    Reset();
}

void ConnectionWindowLogic::Search() {
    Reset();
    const int row = state_.List1Index;
    if (row < 0 || static_cast<size_t>(row) >= state_.List1.size()) {
        boxes_.Show(BoxIcon::Information, kSelectConnectionText);
        Reset();
        return;
    }
    // Row r stands for connection r + 2, which is index r + 1.
    const size_t index = static_cast<size_t>(row) + 1;
    DirectPlay* link = objects_.DirectPlayObject.get();
    if (!link || !objects_.ConnectionList || index >= objects_.ConnectionList->size() ||
        !link->InitializeConnection((*objects_.ConnectionList)[index])) {
        FailAndReset(BoxIcon::Exclamation, kInitializeFailedText);
        return;
    }
    SetStatus(kStatusSearching);
    objects_.SessionList = link->EnumerateSessions();
    if (!objects_.SessionList) {
        FailAndReset(BoxIcon::Information, kUserCanceledText);
        return;
    }
    for (const SessionDescription& s : *objects_.SessionList) {
        state_.List2.push_back(s.name + " (" + std::to_string(s.currentPlayers) + "/" +
                               std::to_string(s.maxPlayers) + ")");
    }
    if (!state_.List2.empty() && !state_.List2.front().empty()) {
        SetStatus(kStatusDone);
    } else {
        Reset();
    }
}

void ConnectionWindowLogic::Join() {
    const int row = state_.List2Index;
    const bool rowSelected = row >= 0 && static_cast<size_t>(row) < state_.List2.size();
    if (!rowSelected || state_.List2[static_cast<size_t>(row)].empty() || state_.Text2.empty()) {
        if (!rowSelected) {
            boxes_.Show(BoxIcon::Exclamation, kSelectSessionText);
        }
        if (state_.Text2.empty()) {
            boxes_.Show(BoxIcon::Exclamation, kWriteNicknameText);
        }
        Reset();
        return;
    }
    // Row r stands for session r + 1, which is index r.
    const size_t index = static_cast<size_t>(row);
    DirectPlay* link = objects_.DirectPlayObject.get();
    if (!link || !objects_.SessionList || index >= objects_.SessionList->size() ||
        !link->Open((*objects_.SessionList)[index], OpenMode::Join)) {
        FailAndReset(BoxIcon::Exclamation, kFailedToJoinText);
        return;
    }
    SetStatus(kStatusCreatingPlayer);
    const auto id = link->CreatePlayer(state_.Text2, "Player");
    if (!id) {
        FailAndReset(BoxIcon::Exclamation, kFailedToCreatePlayerText);
        return;
    }
    objects_.LocalPlayerId = *id;
    SetStatus(kStatusPlayerCreated);
    if (!SendJoinRequest(*link, objects_.LocalPlayerId)) {
        FailAndReset(BoxIcon::Exclamation, kSendRequestFailedText);
        return;
    }
    SetStatus(kStatusFirstRequestSent);
    state_.RequestCountdown = static_cast<int16_t>(kRequestRepeat.count());
    lastRequestAt_ = clock_.Now();
    state_.Timer1Enabled = true;
}

ConnectionNext ConnectionWindowLogic::Tick() {
    DirectPlay* link = objects_.DirectPlayObject.get();
    if (!state_.Timer1Enabled || !link) {
        return ConnectionNext::Stay;
    }
    const int32_t self = objects_.LocalPlayerId;

    const auto now = clock_.Now();
    if (now - lastRequestAt_ >= kRequestRepeat) {
        if (!SendRequestRepeatNotice(*link, self)) {
            FailAndReset(BoxIcon::Exclamation, kSendRequestFailedText);
            return ConnectionNext::Stay;
        }
        SetStatus(kStatusResendingRequest);
        if (!SendJoinRequest(*link, self)) {
            FailAndReset(BoxIcon::Exclamation, kSendRequestFailedText);
            return ConnectionNext::Stay;
        }
        SetStatus(kStatusRequestResent);
        lastRequestAt_ = now;
    }
    const auto waited = std::chrono::duration_cast<std::chrono::seconds>(now - lastRequestAt_);
    state_.RequestCountdown = static_cast<int16_t>((kRequestRepeat - waited).count());

    // Any failure while reading ends the tick quietly; the next one tries again.
    const auto count = link->GetMessageCount(self);
    if (!count) {
        return ConnectionNext::Stay;
    }
    ConnectionNext next = ConnectionNext::Stay;
    for (int32_t i = 0; i < *count; ++i) {
        auto received = link->Receive();
        if (!received) {
            break;
        }
        const auto header = ReadHeader(received->message);
        if (!header) {
            break;
        }
        if (next == ConnectionNext::StationWindow) {
            // Accepted: the rest of this tick's messages are read and dropped. A later refusal
            // or a second acceptance must not undo or repeat the hand-over to the station.
            continue;
        }
        if (header->type == kPlayerPresent) {
            const auto id = DecodePresentId(received->message);
            if (!id) {
                break;
            }
            if (*id == self) {
                state_.Timer1Enabled = false;
                boxes_.Show(BoxIcon::Information, kConnectedText);
                SetStatus(kStatusConnected);
                next = ConnectionNext::StationWindow;
            }
        } else if (header->type == kJoinRefused) {
            state_.Timer1Enabled = false;
            boxes_.Show(BoxIcon::Exclamation, kConnectionRefusedText);
            SetStatus(kStatusFailedConnection);
            Reset();
            return ConnectionNext::Stay;
        }
    }
    return next;
}

ConnectionNext ConnectionWindowLogic::CloseButton() {
    ReleaseSession();
    return ConnectionNext::EndProgram;
}

void ConnectionWindowLogic::CloseBox() {
    if (state_.Label6 != kStatusConnected) {
        ReleaseSession();
    }
}

void ConnectionWindowLogic::Reset() {
    CloseDirectPlay(objects_);
    state_.List2.clear();
    state_.List2Index = -1;
    state_.Timer1Enabled = false;
    SetStatus(kStatusDisconnected);
    OpenDirectPlay(objects_);
}

void ConnectionWindowLogic::SetStatus(const std::string& text) {
    state_.Label6 = text;
    if (trail_.size() == kTrailLength) {
        trail_.erase(trail_.begin());
    }
    trail_.push_back(text);
    if (observer_) {
        observer_(text);
    }
}

void ConnectionWindowLogic::FailAndReset(BoxIcon icon, const char* text) {
    state_.Timer1Enabled = false;
    boxes_.Show(icon, text);
    Reset();
}

void ConnectionWindowLogic::ReleaseSession() {
    // Every step is tried whatever the one before it did.
    if (objects_.DirectPlayObject) {
        objects_.DirectPlayObject->DestroyPlayer(objects_.LocalPlayerId);
        objects_.DirectPlayObject->Close();
    }
    CloseDirectPlay(objects_);
    state_.List2.clear();
    state_.List2Index = -1;
    state_.Timer1Enabled = false;
    SetStatus(kStatusDisconnected);
}

}  // namespace corvane::session
