#include "tests/host/host_test_support.h"

String Utf16(const std::u16string& text) { return String(text.data(), static_cast<int>(text.size())); }
