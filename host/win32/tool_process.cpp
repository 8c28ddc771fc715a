// Helper programs on Windows: CreateProcessW with the output through an
// anonymous pipe, read only as far as PeekNamedPipe says it holds (a ReadFile
// on an empty pipe would wait); the program's folder from GetModuleFileNameW.
// The tool is a console program started without a console window.
#include "host/tool_process.h"
#include "host/win32/wide_text.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

namespace {

bool IsProgram(const std::string& path) {
    std::wstring wide;
    if (path.empty() || !Widen(path, &wide)) return false;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::string();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::string folder;
    return Narrow(path.substr(0, path.find_last_of(L"\\/") + 1).c_str(), &folder) ? folder : std::string();
}

// One argument as the C runtime's command-line parser reads it back: quoted
// when it holds a space, a tab or a quote (or is empty), its quotes escaped,
// and the backslashes before a quote or the closing quote doubled.
void AppendArgument(const std::wstring& arg, std::wstring* line) {
    if (!line->empty()) line->push_back(L' ');
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line->append(arg);
        return;
    }
    line->push_back(L'"');
    size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line->append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line->push_back(c);
    }
    line->append(2 * backslashes, L'\\');
    line->push_back(L'"');
}

HANDLE AsHandle(intptr_t value) { return reinterpret_cast<HANDLE>(value); }

}  // namespace

std::string kp_tool_Find(const std::string& name) {
    const std::string file = name + ".exe";
    const std::string beside = ProgramFolder() + file;
    if (IsProgram(beside)) return beside;
    const char* folder = std::getenv("GLIMMER_TOOL_FOLDER");
    if (folder && *folder) {
        const std::string there = std::string(folder) + "/" + file;
        if (IsProgram(there)) return there;
    }
    return std::string();
}

bool ToolProcess::Start(const std::string& path, const std::vector<std::string>& args) {
    Stop();
    std::wstring program;
    std::wstring line;
    if (!Widen(path, &program) || program.empty()) return false;
    AppendArgument(program, &line);
    for (const std::string& arg : args) {
        std::wstring wide;
        if (!Widen(arg, &wide)) return false;
        AppendArgument(wide, &line);
    }
    // The ends the tool gets are made inheritable: the pipe's writing end and
    // the null device for its input and errors.
    SECURITY_ATTRIBUTES inherited{};
    inherited.nLength = sizeof inherited;
    inherited.bInheritHandle = TRUE;
    HANDLE reading = nullptr;
    HANDLE writing = nullptr;
    if (!CreatePipe(&reading, &writing, &inherited, 0)) return false;
    SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
    HANDLE nothing = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                 OPEN_EXISTING, 0, nullptr);
    // Of the game's inheritable handles (its own output, when redirected),
    // the tool gets only these two: no handle of the game's stays open in it.
    HANDLE handed[2] = {writing, nothing};
    const DWORD handedCount = nothing != INVALID_HANDLE_VALUE ? 2 : 1;
    SIZE_T listSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &listSize);
    std::vector<unsigned char> list(listSize);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = nothing;
    startup.StartupInfo.hStdOutput = writing;
    startup.StartupInfo.hStdError = nothing;
    startup.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list.data());
    LPPROC_THREAD_ATTRIBUTE_LIST attributes = startup.lpAttributeList;
    const bool initialized = !list.empty() && InitializeProcThreadAttributeList(attributes, 1, 0, &listSize);
    const bool listed = initialized && UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                                                 handed, handedCount * sizeof(HANDLE), nullptr, nullptr);
    PROCESS_INFORMATION started{};
    const BOOL made = listed && CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, TRUE,
                                               CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                                               &startup.StartupInfo, &started);
    if (initialized) DeleteProcThreadAttributeList(attributes);
    // The tool holds its own copies now: with ours closed, the pipe breaks
    // once the tool has ended, which tells Poll its output is complete.
    CloseHandle(writing);
    if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
    if (!made) {
        CloseHandle(reading);
        return false;
    }
    CloseHandle(started.hThread);
    process_ = reinterpret_cast<intptr_t>(started.hProcess);
    output_ = reinterpret_cast<intptr_t>(reading);
    pid_ = static_cast<long>(started.dwProcessId);
    status_ = -1;
    return true;
}

bool ToolProcess::Poll(std::string* output) {
    if (pid_ <= 0) return false;
    char block[4096];
    while (output_ != -1) {
        DWORD waiting = 0;
        if (!PeekNamedPipe(AsHandle(output_), nullptr, 0, nullptr, &waiting, nullptr)) {
            CloseHandle(AsHandle(output_));   // broken: its output has ended; its exit follows
            output_ = -1;
            break;
        }
        if (waiting == 0) return true;   // nothing more yet
        DWORD got = 0;
        const DWORD want = waiting < sizeof block ? waiting : static_cast<DWORD>(sizeof block);
        if (!ReadFile(AsHandle(output_), block, want, &got, nullptr)) {
            CloseHandle(AsHandle(output_));
            output_ = -1;
            break;
        }
        output->append(block, got);
    }
    if (WaitForSingleObject(AsHandle(process_), 0) != WAIT_OBJECT_0) return true;
    DWORD code = 0;
    status_ = GetExitCodeProcess(AsHandle(process_), &code) ? static_cast<int>(code) : -1;
    CloseHandle(AsHandle(process_));
    process_ = 0;
    pid_ = -1;
    return false;
}

void ToolProcess::Stop() {
    if (pid_ <= 0) return;
    TerminateProcess(AsHandle(process_), 1);
    WaitForSingleObject(AsHandle(process_), INFINITE);
    CloseHandle(AsHandle(process_));
    if (output_ != -1) CloseHandle(AsHandle(output_));
    process_ = 0;
    output_ = -1;
    pid_ = -1;
    status_ = -1;
}
