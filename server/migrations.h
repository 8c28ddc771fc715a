// The schema, as numbered migrations applied in order on SQLite and
// PostgreSQL alike; each database records the numbers it has applied.
#pragma once

#include <string>
#include <vector>

#include "server/database.h"

struct Migration {
    int number;
    const char* name;
    const char* sql;   // @ID@ and @BYTES@ stand for the backend's own column types
};

const std::vector<Migration>& kp_scores_Migrations();
// The migration's text for a backend ("sqlite" or "postgresql").
std::string kp_scores_MigrationSql(const Migration& migration, const std::string& kind);
// Applies the migrations the database lacks, one server at a time, each with
// its number in one transaction; returns how many were applied. A database
// newer than this build (a number it does not know) is refused.
int kp_scores_Migrate(SqlConnection& connection, const std::string& kind);
