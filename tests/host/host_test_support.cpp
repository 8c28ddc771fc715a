#include "tests/host/host_test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

ScopedWorkFolder::ScopedWorkFolder() {
    char buffer[4096] = {};
    if (getcwd(buffer, sizeof buffer)) previous_ = buffer;
    char pattern[] = "/tmp/glimmer_host_XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    if (chdir(path_.c_str()) != 0) throw std::runtime_error("chdir failed");
}

ScopedWorkFolder::~ScopedWorkFolder() {
    if (chdir(previous_.c_str()) != 0) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

String Utf16(const std::u16string& text) { return String(text.data(), static_cast<int>(text.size())); }
