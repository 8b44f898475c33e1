#pragma once

#include <cstdio>
#include <string>

namespace vidorama {

// The system's temporary folder, ending in '/'.
std::string TempDirectory();

// Creates a new, empty file with a unique name that starts with the prefix in
// the temporary folder and opens it for reading and writing in binary mode.
// Returns the open stream and sets path, or returns nullptr and leaves path
// empty.
std::FILE* CreateTempFile(const std::string& prefix, std::string& path);

} // namespace vidorama
