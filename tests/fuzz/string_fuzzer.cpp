// libFuzzer target: String::Load's decoding of untrusted bytes (the state file
// and every text the program reads go through it). A stream gives the same
// text and error as memory; a fallback to raw bytes keeps every byte as one
// unit; UTF-16 gives one unit per pair of bytes; a decoded text survives
// encoding and decoding again.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "runtime/string.h"
#include "tests/fuzz/fuzz_check.h"

const char* const kFuzzTarget = "string fuzzer";

namespace {

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* bytes, size_t size) {
    const int length = static_cast<int>(size);
    String text = String::Load(bytes, length);
    const bool invalid = _str_load_err.Length() > 0;

    FILE* file = fmemopen(const_cast<unsigned char*>(bytes), size ? size : 1, "rb");
    if (file) {
        String fromFile = size ? String::Load(file) : String::Load(bytes, 0);
        std::fclose(file);
        Check(fromFile == text, "stream and memory decoding differ");
        Check((_str_load_err.Length() > 0) == invalid, "stream and memory disagree on the error");
    }

    const bool utf16 = length >= 2 && ((bytes[0] == 0xfe && bytes[1] == 0xff) || (bytes[0] == 0xff && bytes[1] == 0xfe));
    if (utf16) {
        Check(!invalid, "UTF-16 input reported as invalid UTF-8");
        Check(text.Length() == (length <= 3 ? 0 : (length - 2) / 2), "UTF-16 length");
    } else if (invalid) {
        Check(text.Length() == length, "raw fallback length");
        for (int i = 0; i < length; ++i) Check(text[i] == bytes[i], "raw fallback unit");
    } else {
        Check(text.Length() <= length, "more units than bytes");
    }

    std::vector<unsigned char> encoded;
    text.Save(encoded);
    // The encoder never writes the bytes FE or FF, so the result reads back as
    // UTF-8; a leading U+FEFF comes back as the signature and is skipped.
    String again = String::Load(encoded.data(), static_cast<int>(encoded.size()));
    Check(_str_load_err.Length() == 0, "the encoder wrote invalid UTF-8");
    const bool signature = text.Length() > 0 && text[0] == 0xfeff;
    Check(again == (signature ? text.Slice(1) : text), "decode(encode(text)) differs from text");
    return 0;
}
