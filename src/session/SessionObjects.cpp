#include "session/SessionObjects.h"

namespace corvane::session {

bool OpenDirectPlay(SessionObjects& objects) {
    if (!objects.DirectX) {
        return false;
    }
    objects.DirectPlayObject = objects.DirectX();
    if (!objects.DirectPlayObject) {
        return false;
    }
    objects.ConnectionList = objects.DirectPlayObject->EnumerateConnections();
    return objects.ConnectionList.has_value();
}

void CloseDirectPlay(SessionObjects& objects) {
    objects.ConnectionList.reset();
    objects.SessionList.reset();
    objects.DirectPlayObject.reset();
}

}  // namespace corvane::session
