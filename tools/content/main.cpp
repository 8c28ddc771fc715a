// glimmer-content: writes the game's whole data folder (image sheets at three
// resolutions, the fonts and the sound effects) plus a contact sheet for review.
//
// Usage: glimmer-content DATA_DIR [CONTACT_SHEET_PNG]
// The contact sheet defaults to contact_sheet.png beside DATA_DIR.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/cli/command_line.h"
#include "tools/content/contact_sheet.h"
#include "tools/content/sheets.h"
#include "tools/content/sounds.h"

namespace {

constexpr const char* kUsage =
    "usage: glimmer-content DATA_DIR [CONTACT_SHEET_PNG]\n"
    "Draws and synthesises the game's data into DATA_DIR and an overview of every\n"
    "sheet into CONTACT_SHEET_PNG (default: contact_sheet.png beside DATA_DIR).\n";

}  // namespace

int main(int argc, char** argv) {
    ToolCommandLine commandLine(argc, argv, kUsage);
    if (commandLine.NextOption()) commandLine.RefuseOption();
    const std::vector<std::string>& operands = commandLine.Operands(1, 2);
    const auto started = std::chrono::steady_clock::now();
    const std::filesystem::path dataDir = operands[0];
    const std::filesystem::path contactPath =
        operands.size() == 2 ? std::filesystem::path(operands[1]) : dataDir.parent_path() / "contact_sheet.png";
    std::filesystem::create_directories(dataDir);

    bool ok = true;
    std::vector<content::WrittenSheet> written;
    for (const content::SheetDef& def : content::allSheets()) {
        content::WrittenSheet w{def.spec, {}};
        if (!content::writeSheet(dataDir.string(), def, &w.levels)) {
            std::fprintf(stderr, "glimmer-content: cannot write %s\n", def.spec.name.c_str());
            ok = false;
        }
        written.push_back(std::move(w));
    }
    if (!content::defaultFontStrip().writePng((dataDir / "vela_font.png").string())) {
        std::fprintf(stderr, "glimmer-content: cannot write vela_font.png\n");
        ok = false;
    }
    ok = content::writeSounds(dataDir.string()) && ok;

    if (!contactPath.parent_path().empty()) std::filesystem::create_directories(contactPath.parent_path());
    if (!content::contactSheet(written).writePng(contactPath.string())) {
        std::fprintf(stderr, "glimmer-content: cannot write %s\n", contactPath.string().c_str());
        ok = false;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("glimmer-content: wrote %s in %.2f s\n", dataDir.string().c_str(), seconds);
    return ok ? 0 : 1;
}
