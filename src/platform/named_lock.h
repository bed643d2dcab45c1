#pragma once

#include <cstdint>

// The device's named inter-process lock service. Here a lock named NAME is an
// exclusive flock on DIR/NAME.lock, DIR being $JOBVIEW_LOCK_DIR when set and
// not empty, else /tmp. The kernel releases it when the process ends.
using LockHandle = int32_t;

// Opens (creating it if needed) the lock file; 0 on success, non-zero on failure.
// `flags` is accepted for the platform's signature and ignored.
int x_create_lock(LockHandle* handle, const char* name, int flags);
// Blocks until the lock is held.
int x_lock(LockHandle handle);
// Takes the lock only if no other process holds it: 0 when it is now held,
// non-zero otherwise (x_lock then waits for it).
int x_try_lock(LockHandle handle);
int x_unlock(LockHandle handle);
// Tries to take the lock, the tries at most 50 ms apart, until it is held (0),
// `seconds` have passed (1; with 0 it tries once), or a signal interrupts the
// wait (2).
int x_lock_wait(LockHandle handle, long seconds);
