// The user's recycle bin: what is moved there can be brought back with the desktop's file manager. Failures
// return false and leave a Win32 error number in the last error. Any thread.
#pragma once

namespace tq::platform {

// Moves a file or folder (an absolute path) to the recycle bin. Windows asks the user first when confirm is
// set; POSIX never asks. POSIX follows the freedesktop.org trash: the home trash for names on its device,
// else the trash folder at the top of the name's own volume.
bool MoveToTrash(const char* path, bool confirm);

}  // namespace tq::platform
