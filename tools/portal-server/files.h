#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Maps a decoded request path to a path under root; nothing when the request
// would climb out of root.
std::optional<std::filesystem::path> resolveUnder(const std::filesystem::path &root,
                                                  const std::string &requestPath);

// The Content-Type for a file; text types carry the charset their bytes are in.
std::string contentTypeFor(const std::filesystem::path &file);
