#pragma once
// The session objects the connection window leaves for the station: the DirectPlay object, the
// connection types and sessions it found, and the station's own player id.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "session/DirectPlay.h"

namespace corvane::session {

// Makes a fresh DirectPlay object; set once by whoever owns the program (the real network in the
// program, an in-process session in tests).
using DirectPlayFactory = std::function<std::unique_ptr<DirectPlay>()>;

struct SessionObjects {
    DirectPlayFactory
        DirectX;  // the root every DirectPlayObject is made from; kept for the program
    std::unique_ptr<DirectPlay> DirectPlayObject;
    std::optional<std::vector<Connection>> ConnectionList;       // entry i is index i - 1
    std::optional<std::vector<SessionDescription>> SessionList;  // entry i is index i - 1
    int32_t LocalPlayerId = 0;
};

// Makes DirectPlayObject from DirectX and lists its connection types into ConnectionList. False
// when there is no factory or either step fails (what could be made stays).
bool OpenDirectPlay(SessionObjects& objects);

// Releases ConnectionList, SessionList and DirectPlayObject, in this order. Releasing the object
// ends its player and session. DirectX stays.
void CloseDirectPlay(SessionObjects& objects);

}  // namespace corvane::session
