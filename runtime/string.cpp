#include "runtime/string.h"

#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

String::Rep String::nullRep = {1, 0, {0}};
String _str_load_err;

namespace {

constexpr int kLoadBlock = 4096;

bool same_units(const Char* a, const Char* b, int n) {
    return n == 0 || std::memcmp(a, b, sizeof(Char) * static_cast<size_t>(n)) == 0;
}

String from_units(const Char* units, int n) { return String(units, n); }

// Positions of the non-overlapping occurrences of `find`, searched from 0.
std::vector<int> occurrences(const String& text, const String& find) {
    std::vector<int> at;
    if (find.Length() == 0) return at;
    int i = text.Find(find, 0);
    while (i != -1) {
        at.push_back(i);
        i = text.Find(find, i + find.Length());
    }
    return at;
}

String bytes_as_units(const unsigned char* bytes, int length) { return String(bytes, length); }

// Lengths past the int range cannot be represented; treated as out of memory.
int checked_length(long long length) {
    if (length > INT_MAX) throw std::bad_alloc();
    return static_cast<int>(length);
}

}  // namespace

void String::Rep::release() {
    if (this != &nullRep && --refs == 0) std::free(this);
}

String::Rep* String::Rep::alloc(int length) {
    size_t bytes = offsetof(Rep, data) + sizeof(Char) * static_cast<size_t>(length > 0 ? length : 1);
    Rep* rep = static_cast<Rep*>(std::malloc(bytes));
    if (!rep) throw std::bad_alloc();
    rep->refs = 1;
    rep->length = length;
    return rep;
}

String::String(const Char* units, int length) {
    if (length <= 0) {
        rep_ = &nullRep;
        nullRep.retain();
        return;
    }
    rep_ = Rep::alloc(length);
    std::memcpy(rep_->data, units, sizeof(Char) * static_cast<size_t>(length));
}

String::String(const char* text) : String(text, text ? static_cast<int>(std::strlen(text)) : 0) {}

String::String(const char* text, int length)
    : String(reinterpret_cast<const unsigned char*>(text), length) {}

String::String(const unsigned char* bytes, int length) {
    if (length <= 0) {
        rep_ = &nullRep;
        nullRep.retain();
        return;
    }
    rep_ = Rep::alloc(length);
    for (int i = 0; i < length; ++i) rep_->data[i] = bytes[i];
}

String::String(int value) : rep_(nullptr) {
    char buf[32];
    int n = std::snprintf(buf, sizeof buf, "%i", value);
    rep_ = Rep::alloc(n);
    for (int i = 0; i < n; ++i) rep_->data[i] = static_cast<Char>(buf[i]);
}

String::String(float value) : rep_(nullptr) {
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "%.17lg", static_cast<double>(value));
    if (!std::strpbrk(buf, ".e")) {
        buf[n++] = '.';
        buf[n++] = '0';
    }
    rep_ = Rep::alloc(n);
    for (int i = 0; i < n; ++i) rep_->data[i] = static_cast<Char>(buf[i]);
}

String& String::operator=(const String& other) {
    other.rep_->retain();
    rep_->release();
    rep_ = other.rep_;
    return *this;
}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        rep_->release();
        rep_ = other.rep_;
        other.rep_ = &nullRep;
        nullRep.retain();
    }
    return *this;
}

bool String::operator==(const String& other) const {
    return rep_ == other.rep_ ||
           (Length() == other.Length() && same_units(Data(), other.Data(), Length()));
}

bool String::operator<(const String& other) const {
    int n = Length() < other.Length() ? Length() : other.Length();
    for (int i = 0; i < n; ++i) {
        if (Data()[i] != other.Data()[i]) return Data()[i] < other.Data()[i];
    }
    return Length() < other.Length();
}

bool String::StartsWith(const String& prefix) const {
    return prefix.Length() <= Length() && same_units(Data(), prefix.Data(), prefix.Length());
}

bool String::EndsWith(const String& suffix) const {
    return suffix.Length() <= Length() &&
           same_units(Data() + Length() - suffix.Length(), suffix.Data(), suffix.Length());
}

int String::Find(const String& sub, int start) const {
    if (start < 0) start = 0;
    // Widen before adding so a huge start cannot overflow.
    if (static_cast<long long>(start) + sub.Length() > Length()) return -1;
    for (int i = start; i + sub.Length() <= Length(); ++i) {
        if (same_units(Data() + i, sub.Data(), sub.Length())) return i;
    }
    return -1;
}

String String::Slice(int from, int term) const {
    const int len = Length();
    if (from < 0) {
        from += len;
        if (from < 0) from = 0;
    } else if (from > len) {
        from = len;
    }
    if (term < 0) {
        term += len;
    } else if (term > len) {
        term = len;
    }
    if (from >= term) return String();
    if (from == 0 && term == len) return *this;
    return from_units(Data() + from, term - from);
}

Array<String> String::Split(const String& separator) const {
    if (separator.Length() == 0) {
        Array<String> out(Length());
        for (int i = 0; i < Length(); ++i) out[i] = from_units(Data() + i, 1);
        return out;
    }
    std::vector<int> at = occurrences(*this, separator);
    Array<String> out(static_cast<int>(at.size()) + 1);
    if (at.empty()) {
        out[0] = *this;
        return out;
    }
    int begin = 0;
    for (size_t k = 0; k < at.size(); ++k) {
        out[static_cast<int>(k)] = Slice(begin, at[k]);
        begin = at[k] + separator.Length();
    }
    out[static_cast<int>(at.size())] = Slice(begin);
    return out;
}

String String::Replace(const String& find, const String& replacement) const {
    // An empty search text matches nowhere: the text comes back unchanged.
    std::vector<int> at = occurrences(*this, find);
    if (at.empty()) return *this;
    long long out_len = Length() + static_cast<long long>(at.size()) * (replacement.Length() - find.Length());
    if (out_len <= 0) return String();
    Rep* rep = Rep::alloc(checked_length(out_len));
    Char* dst = rep->data;
    int begin = 0;
    for (int i : at) {
        std::memcpy(dst, Data() + begin, sizeof(Char) * static_cast<size_t>(i - begin));
        dst += i - begin;
        std::memcpy(dst, replacement.Data(), sizeof(Char) * static_cast<size_t>(replacement.Length()));
        dst += replacement.Length();
        begin = i + find.Length();
    }
    std::memcpy(dst, Data() + begin, sizeof(Char) * static_cast<size_t>(Length() - begin));
    return String(rep);
}

String String::ToLower() const {
    for (int i = 0; i < Length(); ++i) {
        Char c = Data()[i];
        if (c < 256 && std::tolower(c) != c) {
            Rep* rep = Rep::alloc(Length());
            for (int j = 0; j < Length(); ++j) {
                Char u = Data()[j];
                rep->data[j] = u < 256 ? static_cast<Char>(std::tolower(u)) : u;
            }
            return String(rep);
        }
    }
    return *this;
}

int String::ToInt() const {
    char buf[64];
    int n = Length() < 63 ? Length() : 63;
    for (int i = 0; i < n; ++i) buf[i] = static_cast<char>(Data()[i] & 0xff);
    buf[n] = 0;
    return std::atoi(buf);
}

String String::operator+(const String& other) const {
    if (Length() == 0) return other;
    if (other.Length() == 0) return *this;
    Rep* rep = Rep::alloc(checked_length(static_cast<long long>(Length()) + other.Length()));
    std::memcpy(rep->data, Data(), sizeof(Char) * static_cast<size_t>(Length()));
    std::memcpy(rep->data + Length(), other.Data(), sizeof(Char) * static_cast<size_t>(other.Length()));
    return String(rep);
}

String String::FromChar(int unit) {
    Char c = static_cast<Char>(unit);
    return String(&c, 1);
}

std::string String::ToCString() const {
    std::string out(static_cast<size_t>(Length()), '\0');
    for (int i = 0; i < Length(); ++i) out[static_cast<size_t>(i)] = static_cast<char>(Data()[i] & 0xff);
    return out;
}

void String::Save(std::vector<unsigned char>& out) const {
    for (int i = 0; i < Length(); ++i) {
        unsigned c = Data()[i];
        if (c < 0x80) {
            out.push_back(static_cast<unsigned char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<unsigned char>(0xc0 | (c >> 6)));
            out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3f)));
        } else {
            out.push_back(static_cast<unsigned char>(0xe0 | (c >> 12)));
            out.push_back(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3f)));
            out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3f)));
        }
    }
}

std::string String::ToUtf8() const {
    std::vector<unsigned char> bytes;
    Save(bytes);
    return std::string(bytes.begin(), bytes.end());
}

bool String::Save(FILE* file) const {
    std::vector<unsigned char> bytes;
    Save(bytes);
    if (bytes.empty()) return true;
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

String String::FromUtf8(const std::string& text) {
    return Load(reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
}

String String::Load(const unsigned char* bytes, int length) {
    _str_load_err = String();
    if (length >= 2 && ((bytes[0] == 0xfe && bytes[1] == 0xff) || (bytes[0] == 0xff && bytes[1] == 0xfe))) {
        if (length <= 3) return String();
        bool big_endian = bytes[0] == 0xfe;
        int n = (length - 2) / 2;
        std::vector<Char> units(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            unsigned hi = bytes[2 + 2 * i], lo = bytes[3 + 2 * i];
            if (!big_endian) std::swap(hi, lo);
            units[static_cast<size_t>(i)] = static_cast<Char>((hi << 8) | lo);
        }
        return from_units(units.data(), n);
    }
    int p = 0;
    if (length >= 3 && bytes[0] == 0xef && bytes[1] == 0xbb && bytes[2] == 0xbf) p = 3;
    std::vector<Char> units;
    units.reserve(static_cast<size_t>(length - p));
    auto cont = [&](int at) { return at < length && (bytes[at] & 0xc0) == 0x80; };
    while (p < length) {
        unsigned c = bytes[p];
        if (c < 0x80) {
            units.push_back(static_cast<Char>(c));
            p += 1;
        } else if ((c & 0xe0) == 0xc0 && cont(p + 1)) {
            units.push_back(static_cast<Char>(((c & 0x1f) << 6) | (bytes[p + 1] & 0x3f)));
            p += 2;
        } else if ((c & 0xf0) == 0xe0 && cont(p + 1) && cont(p + 2)) {
            units.push_back(static_cast<Char>(((c & 0x0f) << 12) | ((bytes[p + 1] & 0x3f) << 6) | (bytes[p + 2] & 0x3f)));
            p += 3;
        } else {
            _str_load_err = String("Invalid UTF-8");
            return bytes_as_units(bytes, length);
        }
    }
    return from_units(units.data(), static_cast<int>(units.size()));
}

String String::Load(FILE* file) {
    std::vector<unsigned char> bytes;
    unsigned char block[kLoadBlock];
    for (;;) {
        size_t n = std::fread(block, 1, kLoadBlock, file);
        bytes.insert(bytes.end(), block, block + n);
        if (n < static_cast<size_t>(kLoadBlock)) break;
    }
    return Load(bytes.data(), static_cast<int>(bytes.size()));
}

void t_create(int n, String* strings) {
    for (int i = 0; i < n; ++i) new (&strings[i]) String();
}

void t_create(int n, String* strings, const String* source) {
    for (int i = 0; i < n; ++i) new (&strings[i]) String(source[i]);
}

void t_destroy(int n, String* strings) {
    for (int i = 0; i < n; ++i) strings[i].~String();
}
