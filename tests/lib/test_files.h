// Scratch folders and whole files, as every test suite uses them.
#pragma once

#include <string>

// A new folder of its own in the system's temporary folder, named for the
// suite and the process, removed with everything in it when the object goes.
// With `enter` it is the working folder while it lives, and the previous one
// comes back at the end. A static one lasts the process.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name, bool enter = false);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    std::string previous_;   // the working folder to come back to; empty when not entered
};

std::string ReadFile(const std::string& path);   // empty when missing
bool WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
