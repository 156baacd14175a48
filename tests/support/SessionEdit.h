#pragma once
// Puts a session into a state that would take a run of notices to reach, through the snapshot a
// replay restores: `test::edit(session)->myseat = 2;` applies at the end of the statement.

#include "session/ClientSession.h"

namespace pelvo::test {

class StateEdit {
public:
    explicit StateEdit(ClientSession& session) : session_(session), snap_(session.snapshot()) {}
    StateEdit(const StateEdit&) = delete;
    StateEdit& operator=(const StateEdit&) = delete;
    ~StateEdit() { session_.restore(snap_); }
    ClientState* operator->() { return &snap_.model.state; }

private:
    ClientSession& session_;
    ClientSession::Snapshot snap_;
};

inline StateEdit edit(ClientSession& session) {
    return StateEdit(session);
}

} // namespace pelvo::test
