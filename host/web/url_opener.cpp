// Opening URLs in the browser: a new tab, which cannot reach back to the game's page.
#include <emscripten.h>

#include <string>

#include "host/platform.h"

void kp_platform_OpenUrl(const String& url) {
    const std::string text = url.ToUtf8();
    EM_ASM({ window.open(UTF8ToString($0), '_blank', 'noopener'); }, text.c_str());
}
