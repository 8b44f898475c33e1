#pragma once

#include <string>

namespace vidorama {

// Makes sure a capture can write into the output folder before it starts:
// creates the folder when it is missing (a new account has no documents
// folder) and tries a file in it. Answers "" when the folder can be used, or a
// message for the user that names the folder and the reason.
std::string PrepareOutputFolder(const std::string& folder);

} // namespace vidorama
