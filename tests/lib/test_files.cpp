#include "tests/lib/test_files.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "host/platform.h"

ScratchFolder::ScratchFolder(const std::string& name, bool enter) {
    static int made = 0;
    std::string root = std::filesystem::temp_directory_path().generic_string();
#ifdef _WIN32
    // Under Wine the suites hand files to Linux programs (sox, the reference
    // tools), which cannot reach the Windows temporary folder: "/tmp" names
    // the same folder on both sides when the drive is Wine's view of the root.
    std::error_code missing;
    if (std::filesystem::is_directory("/tmp", missing)) root = "/tmp";
#endif
    const std::filesystem::path path =
        root + "/glimmer-" + name + "-" + std::to_string(kp_process_Id()) + "-" + std::to_string(made++);
    std::error_code error;
    std::filesystem::remove_all(path, error);
    if (!std::filesystem::create_directories(path, error)) throw std::runtime_error("no scratch folder " + path.string());
    path_ = path.generic_string();
    if (enter) {
        previous_ = std::filesystem::current_path().string();
        std::filesystem::current_path(path);
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!previous_.empty()) std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    return static_cast<bool>(out << bytes) && static_cast<bool>(out.flush());
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }
