// Helper programs on Windows: none is shipped beside the game (the level
// solver is built for Linux alone), so none is found or started.
#include "host/tool_process.h"

std::string kp_tool_Find(const std::string&) { return std::string(); }
bool ToolProcess::Start(const std::string&, const std::vector<std::string>&) { return false; }
bool ToolProcess::Poll(std::string*) { return false; }
void ToolProcess::Stop() {}
