// Players without passwords: the game makes a random key per install and
// sends it with every run; the server keeps only the key's SHA-256. A name
// belongs to the first key that posts with it, compared without case.
#pragma once

#include <string>

constexpr size_t kNameMinLength = 2;
constexpr size_t kNameMaxLength = 24;
constexpr size_t kKeyMinLength = 32;
constexpr size_t kKeyMaxLength = 128;

// "" when the name may be used, else why not (for the player to read).
std::string kp_scores_NameProblem(const std::string& name);
// The form two names are compared in: lower case, so "Bob" and "bob" are one name.
std::string kp_scores_NameKey(const std::string& name);
// "" when the key has the form the game makes, else why not.
std::string kp_scores_KeyProblem(const std::string& key);
// The key as the database keeps it: SHA-256, 64 hex digits.
std::string kp_scores_KeyHash(const std::string& key);
