#include "host/data_paths.h"

#include "host/platform.h"

namespace {

// A virtual path prefix and the folder, relative to the working folder, that
// it stands for; the data folder is the platform's (normally "./data/").
struct VirtualRoot {
    const char* prefix;
    const char* folder;
};

constexpr VirtualRoot kVirtualRoots[] = {
    {"zephyr://data/", nullptr},
    {"zephyr://internal/", "./internal/"},
    {"zephyr://external/", "./external/"},
};

}  // namespace

String kp_data_FixDataPath(const String& path) {
    int colon = path.Find(String(":/"));
    if (colon != -1 && path.Find(String("/")) == colon + 1) return path;
    if (path.StartsWith(String("./")) || path.StartsWith(String("/"))) return path;
    return String("zephyr://data/") + path;
}

String kp_data_MapVirtualPath(const String& path) {
    if (!path.StartsWith(String("zephyr:"))) return path;
    for (const VirtualRoot& root : kVirtualRoots) {
        String prefix(root.prefix);
        if (!path.StartsWith(prefix)) continue;
        String folder = root.folder ? String(root.folder) : kp_platform_DataFolder();
        return folder + path.Slice(prefix.Length());
    }
    return String();
}
