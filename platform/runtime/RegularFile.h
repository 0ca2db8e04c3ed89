#pragma once

namespace runtime
{

// Opens a regular file (or a link to one) with the open flags given, never waiting: a named
// pipe, a device or a folder under a favorite's name is refused at once instead of holding
// the program until a writer comes. Returns the descriptor, or -1 with errno set (EINVAL
// for something that is not a regular file).
int OpenRegularFile(const char* path, int flags, unsigned mode = 0666);

} // namespace runtime
