// A Windows program that runs a Linux program under Wine and waits for it.
// The suites make test media with system("sox ..."); under Wine the command
// prompt finds this program copied as sox.exe (oggenc.exe, rm.exe), which
// hands the same command line, its own name turned back into the tool's, to
// /bin/sh (POSIX quoting included). Wine starts Linux programs itself only
// without waiting, so the media would not be there yet.
#include <windows.h>

#include <string>

int main() {
    using Spawn = LONG (*)(char* const argv[], int wait);  // Wine's own call, in its ntdll
    auto spawn = reinterpret_cast<Spawn>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp"));
    if (!spawn) return 127;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string tool = self;
    tool = tool.substr(tool.find_last_of("\\/") + 1);
    tool = tool.substr(0, tool.rfind('.'));
    const std::string line = GetCommandLineA();
    const size_t end = line[0] == '"' ? line.find('"', 1) + 1 : line.find(' ');
    std::string command = tool + (end == std::string::npos ? "" : line.substr(end));
    char shell[] = "/bin/sh", option[] = "-c";
    char* argv[] = {shell, option, command.data(), nullptr};
    return spawn(argv, 1) == 0 ? 0 : 1;
}
