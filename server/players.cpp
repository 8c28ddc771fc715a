#include "server/players.h"

#include <openssl/evp.h>

#include <cctype>
#include <cstdio>

namespace {

// Names that would pass for the game's makers or the board's keepers, and a
// few words no board should show. Matched anywhere in the name, without case.
constexpr const char* kRefusedWords[] = {"admin", "moderator", "official", "hollyhop", "glimmer", "server",
                                         "fuck", "shit", "cunt", "nazi", "hitler"};

}  // namespace

std::string kp_scores_NameKey(const std::string& name) {
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

std::string kp_scores_NameProblem(const std::string& name) {
    if (name.size() < kNameMinLength || name.size() > kNameMaxLength) {
        return "a name has " + std::to_string(kNameMinLength) + " to " + std::to_string(kNameMaxLength) + " characters";
    }
    // Printable ASCII only: the game's font draws those, and a header carries them unchanged.
    for (unsigned char c : name) {
        if (c < 0x20 || c > 0x7e) return "a name has printable characters only (letters, digits, spaces, punctuation)";
    }
    // A name is a path segment of /api/players/NAME/runs.
    if (name.find('/') != std::string::npos) return "a name has no \"/\"";
    if (name.front() == ' ' || name.back() == ' ' || name.find("  ") != std::string::npos) {
        return "a name neither starts nor ends with a space, nor has two in a row";
    }
    const std::string key = kp_scores_NameKey(name);
    for (const char* word : kRefusedWords) {
        if (key.find(word) != std::string::npos) return "that name is not allowed";
    }
    return "";
}

std::string kp_scores_KeyProblem(const std::string& key) {
    if (key.size() < kKeyMinLength || key.size() > kKeyMaxLength) {
        return "a player key has " + std::to_string(kKeyMinLength) + " to " + std::to_string(kKeyMaxLength) + " characters";
    }
    for (unsigned char c : key) {
        if (!std::isalnum(c) && c != '-' && c != '_') return "a player key has letters, digits, - and _ only";
    }
    return "";
}

std::string kp_scores_KeyHash(const std::string& key) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(key.data(), key.size(), digest, &length, EVP_sha256(), nullptr);
    std::string hex;
    char pair[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}
