#pragma once
// A simulator's session host on an in-process network: hosts a session at this computer's
// address with a player of its own, and lets a test send what such a host sends and see what it
// was sent.

#include <memory>
#include <string>
#include <vector>

#include "session/FsMessages.h"
#include "session/HostAddress.h"
#include "session/LoopbackSession.h"

namespace corvane::testing {

class LoopbackHost {
  public:
    explicit LoopbackHost(session::LoopbackNetwork& network, std::string name = "FS Session",
                          int32_t maxPlayers = 8)
        : link_(network.NewSession()) {
        const session::Connection here{session::kThisComputerConnectionName,
                                       session::HostAddress{"127.0.0.1"}.ToString()};
        ok_ = link_->InitializeConnection(here) &&
              link_->Open({std::move(name), 0, maxPlayers, ""}, session::OpenMode::Create);
        if (ok_) {
            const auto id = link_->CreatePlayer("FS Host", "Player");
            ok_ = id.has_value();
            id_ = id.value_or(0);
        }
    }

    bool Ok() const { return ok_; }
    int32_t Id() const { return id_; }
    session::LoopbackSession& Link() { return *link_; }

    bool SendTo(int32_t to, const session::Message& message) {
        return link_->Send(id_, to, message);
    }

    // The types of the application messages received since the last call, in order.
    std::vector<int32_t> ReceivedTypes() {
        std::vector<int32_t> types;
        while (auto r = link_->Receive()) {
            if (r->from == session::kSystemSender) {
                continue;
            }
            if (const auto header = session::ReadHeader(r->message)) {
                types.push_back(header->type);
            }
        }
        return types;
    }

    // The system messages (code and player) received since the last call, application ones
    // dropped.
    std::vector<std::pair<int32_t, int32_t>> SystemMessages() {
        std::vector<std::pair<int32_t, int32_t>> out;
        while (auto r = link_->Receive()) {
            if (r->from == session::kSystemSender) {
                const auto code = r->message.ReadLong();
                const auto player = r->message.ReadLong();
                out.emplace_back(code.value_or(-1), player.value_or(-1));
            }
        }
        return out;
    }

  private:
    std::unique_ptr<session::LoopbackSession> link_;
    bool ok_ = false;
    int32_t id_ = 0;
};

}  // namespace corvane::testing
