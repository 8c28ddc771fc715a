// Helper programs started through host/tool_process.h with a real child
// (tool_child beside this suite): its arguments reach it as they are, all of
// its output is read without the game waiting, its exit status is told, and
// Stop ends it and leaves nothing running. The same suite runs under Wine.
#include "host/tool_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "host/platform.h"

namespace {

constexpr int kWaitSeconds = 60;   // a child's start on a busy machine, under Wine

std::string Child() {
    const std::string path = kp_tool_Find("tool_child");
    EXPECT_FALSE(path.empty()) << "tool_child beside host_tests";
    return path;
}

// Polls until the tool has ended (or the wait is over); true when it ended.
bool ReadToTheEnd(ToolProcess* tool, std::string* output) {
    const auto start = std::chrono::steady_clock::now();
    while (tool->Poll(output)) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(kWaitSeconds)) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Polls until the output holds `text`; true when it came.
bool ReadUntil(ToolProcess* tool, std::string* output, const std::string& text) {
    const auto start = std::chrono::steady_clock::now();
    while (output->find(text) == std::string::npos) {
        if (!tool->Poll(output) || std::chrono::steady_clock::now() - start > std::chrono::seconds(kWaitSeconds)) {
            return output->find(text) != std::string::npos;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(ToolProcess, ArgumentsReachTheToolAsTheyAre) {
    const struct {
        const char* what;
        std::vector<std::string> args;
    } rows[] = {
        {"plain words", {"--level-file", "level.glimmer-level", "--seconds", "60"}},
        {"a path with spaces", {"C:\\Users\\Anne Marie\\My Levels\\a level.glimmer-level"}},
        {"an empty argument between others", {"a", "", "b"}},
        {"quotes", {"say \"hi\"", "\"", "a\"b"}},
        {"backslashes before a quote and at the end", {"a\\\"b", "ends\\", "spaced ends\\\\", "\\\\server\\share"}},
        {"tabs and a trailing space", {"a\tb", "end "}},
    };
    for (const auto& row : rows) {
        ToolProcess tool;
        std::vector<std::string> args = {"args"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        ASSERT_TRUE(tool.Start(Child(), args)) << row.what;
        EXPECT_TRUE(tool.Running()) << row.what;
        std::string output;
        ASSERT_TRUE(ReadToTheEnd(&tool, &output)) << row.what << ": the tool's end is never told";
        std::string expected;
        for (const std::string& arg : row.args) expected += "<" + arg + ">\n";
        EXPECT_EQ(output, expected) << row.what;
        EXPECT_EQ(tool.ExitStatus(), 0) << row.what;
        EXPECT_FALSE(tool.Running()) << row.what;
    }
}

// Far more output than a pipe holds: the tool can finish only if every poll
// drains what is there, and the last bytes are read before its exit is told.
TEST(ToolProcess, AllOfTheOutputIsReadAndTheExitStatusTold) {
    const struct {
        long bytes;
        int status;
    } rows[] = {{0, 0}, {1, 3}, {4095, 0}, {65537, 7}, {1000000, 1}};
    for (const auto& row : rows) {
        ToolProcess tool;
        ASSERT_TRUE(tool.Start(Child(), {"flood", std::to_string(row.bytes), std::to_string(row.status)}));
        std::string output;
        ASSERT_TRUE(ReadToTheEnd(&tool, &output)) << row.bytes << " bytes: the tool's end is never told";
        ASSERT_EQ(static_cast<long>(output.size()), row.bytes);
        for (long at = 0; at + 10 <= row.bytes; at += 100003 - (100003 % 10)) {
            EXPECT_EQ(std::stol(output.substr(static_cast<size_t>(at), 9)), at / 10) << "line at byte " << at;
        }
        EXPECT_EQ(tool.ExitStatus(), row.status) << row.bytes << " bytes";
        EXPECT_FALSE(tool.Poll(&output)) << "an ended tool stays ended";
    }
}

// A tool that goes on: polling returns at once with what is there, and Stop
// (or the end of its owner) ends it and reaps it.
TEST(ToolProcess, StopEndsARunningToolAtOnceAndLeavesNothingBehind) {
    for (const bool byDestructor : {false, true}) {
        long id = 0;
        {
            ToolProcess tool;
            ASSERT_TRUE(tool.Start(Child(), {"wait"}));
            id = tool.Id();
            EXPECT_GT(id, 0);
            std::string output;
            ASSERT_TRUE(ReadUntil(&tool, &output, "waiting\n")) << output;
            for (int i = 0; i < 3; ++i) EXPECT_TRUE(tool.Poll(&output)) << "it still runs";
            EXPECT_EQ(output, "waiting\n");
            EXPECT_TRUE(kp_process_Runs(static_cast<unsigned long>(id)));
            if (!byDestructor) {
                tool.Stop();
                EXPECT_FALSE(tool.Running());
                EXPECT_EQ(tool.ExitStatus(), -1) << "stopped, not ended by itself";
                EXPECT_FALSE(tool.Poll(&output));
                EXPECT_FALSE(kp_process_Runs(static_cast<unsigned long>(id))) << "Stop leaves the tool running";
                // The same tool object starts another after a stop.
                ASSERT_TRUE(tool.Start(Child(), {"args", "again"}));
                output.clear();
                ASSERT_TRUE(ReadToTheEnd(&tool, &output));
                EXPECT_EQ(output, "<again>\n");
            }
        }
        EXPECT_FALSE(kp_process_Runs(static_cast<unsigned long>(id)))
            << (byDestructor ? "the owner's end" : "Stop") << " leaves the tool running";
    }
}

TEST(ToolProcess, WhatCannotBeFoundOrStartedIsRefused) {
    EXPECT_EQ(kp_tool_Find("no-such-tool"), "");
    ToolProcess tool;
    EXPECT_FALSE(tool.Start(Child() + "-missing", {"args"}));
    EXPECT_FALSE(tool.Start("", {}));
    EXPECT_FALSE(tool.Running());
    std::string output;
    EXPECT_FALSE(tool.Poll(&output));
    EXPECT_EQ(output, "");
    tool.Stop();   // nothing to stop
}

}  // namespace
