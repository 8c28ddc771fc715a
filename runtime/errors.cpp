#include "runtime/errors.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "runtime/object.h"

const char* dbg_info = nullptr;
String dbg_exstack;
int dbg_suspend = 0;
int dbg_stepmode = 0;

namespace {

constexpr int kMaxCommand = 255;
constexpr int kQuotedLimit = 100;

// True when `p` is a live collected object: the debugger's inspect command
// takes an address typed by a person, so it is checked against the
// collector's rings before it is dereferenced.
bool is_live_object(const void* p) {
    for (const gc_object* head : {&gc_marked_list, &gc_unmarked_list, &gc_queued_list}) {
        for (const gc_object* o = head->succ; o != head; o = o->succ) {
            if (o == p) return true;
        }
    }
    return false;
}

}  // namespace

int kpPrint(const String& text) {
    static std::vector<unsigned char> buffer;
    buffer.clear();
    text.Save(buffer);
    buffer.push_back('\n');
    std::fwrite(buffer.data(), 1, buffer.size(), stdout);
    std::fflush(stdout);
    return 0;
}

int kpDebugLog(const String& text) { return kpPrint(text); }

void dbg_print(const String& text) {
    std::string bytes = text.ToCString();
    bytes.push_back('\n');
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

void kpError(const String& message) {
    if (message.Length() == 0) std::exit(0);
    std::string narrow = message.ToCString();
    dbg_error(narrow.c_str());
}

String dbg_stacktrace() {
    if (!dbg_info || !*dbg_info) return String();
    return String(dbg_info) + String("\n");
}

void dbg_error(const char* message) {
    for (;;) {
        kpPrint(String("Zephyr Runtime Error : ") + String(message));
        kpPrint(dbg_stacktrace());
        dbg_stop();
    }
}

void dbg_throw(const char* message) {
    dbg_exstack = dbg_stacktrace();
    throw message;
}

void dbg_stop() {
    std::fprintf(stderr, "{{~~%s~~}}\n", dbg_info ? dbg_info : "");
    dbg_print(String());
    for (;;) {
        char line[kMaxCommand + 1];
        if (!std::fgets(line, sizeof line, stdin)) std::exit(-1);
        char* feed = std::strchr(line, '\n');
        if (!feed) std::exit(-1);
        *feed = 0;
        switch (line[0]) {
        case '?':
            continue;
        case '@': {
            void* address = nullptr;
            if (std::sscanf(line + 1, "%p", &address) == 1 && address && is_live_object(address)) {
                // Array representations are collected but are not Objects.
                Object* object = dynamic_cast<Object*>(static_cast<gc_object*>(address));
                dbg_print(object ? object->debug() : String());
            } else {
                dbg_print(String());
            }
            continue;
        }
        case 'r':
            dbg_suspend = 0;
            dbg_stepmode = 0;
            return;
        case 's':
            dbg_suspend = 1;
            dbg_stepmode = 's';
            return;
        case 'e':
            dbg_suspend = 1;
            dbg_stepmode = 'e';
            return;
        case 'l':
            dbg_suspend = 0;
            dbg_stepmode = 'l';
            return;
        case 'q':
            std::exit(0);
        default:
            std::printf("????? %s ?????", line);
            std::fflush(stdout);
            std::exit(-1);
        }
    }
}

int kpDebugStop() {
    dbg_stop();
    return 0;
}

void sighandler(int signal) {
    const char* message = "Unknown signal";
    switch (signal) {
    case SIGFPE: message = "Floating point exception"; break;
    case SIGSEGV: message = "Memory access violation"; break;
    case SIGILL: message = "Illegal instruction"; break;
    default: break;
    }
    dbg_error(message);
}

String dbg_type(bool*) { return String("Bool"); }
String dbg_type(int*) { return String("Int"); }
String dbg_type(float*) { return String("Float"); }
String dbg_type(String*) { return String("String"); }

String dbg_value(bool value) { return String(value ? "True" : "False"); }
String dbg_value(int value) { return String(value); }
String dbg_value(float value) { return String(value); }

String dbg_value(const String& value) {
    String text = value;
    if (text.Length() > kQuotedLimit) text = text.Slice(0, kQuotedLimit) + String("...");
    text = text.Replace(String("\""), String("~q"));
    text = text.Replace(String("\t"), String("~t"));
    text = text.Replace(String("\n"), String("~n"));
    text = text.Replace(String("\r"), String("~r"));
    return String("\"") + text + String("\"");
}
