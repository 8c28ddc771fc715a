#include "tests/host/host_test_support.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

ScopedWorkFolder::ScopedWorkFolder() : previous_(std::filesystem::current_path().string()) {
    char pattern[] = "/tmp/glimmer_host_XXXXXX";
    if (!mkdtemp(pattern) || chdir(pattern) != 0) throw std::runtime_error("no scratch folder");
    path_ = pattern;
}

ScopedWorkFolder::~ScopedWorkFolder() {
    if (chdir(previous_.c_str()) != 0) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::string& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

String Utf16(const std::u16string& text) { return String(text.data(), static_cast<int>(text.size())); }
