#pragma once

// Creates a file that has no name from the start (or loses it at once), open
// for reading and writing, mode 0600, in $TMPDIR (when set and not empty),
// else /tmp. It disappears with the last descriptor, however the process
// ends. Returns the descriptor, or -1 with errno set.
int create_unlinked_file();
