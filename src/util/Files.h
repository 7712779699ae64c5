// Folders of the running program and folder chains. Paths are UTF-8 byte strings with "/".
#pragma once

#include <functional>
#include <string>

namespace orvane {

// Folder of the running executable (from /proc/self/exe, symlinks resolved), without a trailing "/".
std::string GetModuleFolder();

// The folder part of `path`: everything before its last "/" (empty when there is none).
std::string FolderOfPath(const std::string& path);

// Creates every folder along `path`, the last component included; existing folders and creation
// errors are ignored. "." components are dropped; ".." removes the component before it, and a ".."
// that would climb above the start of the path returns false. The root "/" itself is never created.
bool MakeDirectories(const std::string& path);

// The same walk with the folder creation replaced, so the order of attempts can be checked.
bool MakeDirectories(const std::string& path, const std::function<void(const std::string&)>& create);

bool FileExists(const std::string& path);

}  // namespace orvane
