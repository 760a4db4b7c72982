#pragma once
// What must not outlive the program when a signal ends it (SIGTERM, SIGINT, SIGHUP): the
// office processes it started, their sockets, and job folders that hold a record's text.
// The cleanups run on a thread of their own, then the signal ends the program as it would
// have.
#include <functional>

namespace hb {

// An id for removeTerminationCleanup.
int addTerminationCleanup(std::function<void()> cleanup);
void removeTerminationCleanup(int id);

}  // namespace hb
