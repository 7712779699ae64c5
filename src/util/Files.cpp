#include "util/Files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace orvane {

std::string FolderOfPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string GetModuleFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    return FolderOfPath(std::string(buffer, static_cast<size_t>(n)));
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool MakeDirectories(const std::string& path, const std::function<void(const std::string&)>& create) {
    std::string built;
    std::string component;
    for (char ch : path) {
        if (ch != '/') {
            built += ch;
            component += ch;
            continue;
        }
        if (component == ".") {
            built.erase(built.size() - 1);  // keep the separator before it
        } else if (component == "..") {
            built.erase(built.size() - 2);
            // `built` now ends with the separator after the component to remove (or is empty).
            if (built.empty())
                return false;
            const size_t before = built.size() >= 2 ? built.rfind('/', built.size() - 2) : std::string::npos;
            if (before == std::string::npos)
                return false;
            built.erase(before + 1);
        } else {
            if (!built.empty())
                create(built);  // never the root itself
            built += '/';
        }
        component.clear();
    }
    create(built);
    return true;
}

bool MakeDirectories(const std::string& path) {
    return MakeDirectories(path, [](const std::string& folder) {
        if (!folder.empty())
            ::mkdir(folder.c_str(), 0755);
    });
}

}  // namespace orvane
