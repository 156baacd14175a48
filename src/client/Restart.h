#pragma once
// Goes on with a table choice as the lobby program would: the program replaces itself with a
// fresh start that has the chosen command line (and PELVO_PORT for another port). The process
// keeps its id, and every socket it held closes on the way, so the new start can listen at once.

// own
#include "session/TableChoice.h"

namespace pelvo {

// The full argument vector of the new start: the program, then the plan's parameters.
QStringList restartCommand(const QString& program, const RestartPlan& plan);

// Does not return when it works; false when the system refused.
bool execRestart(const QString& program, const RestartPlan& plan);

} // namespace pelvo
