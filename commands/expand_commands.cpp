#include "app/uMain.h"

// The command expander. For now it records what the run hands it; the
// expansion into the batch comes with the batch writer.
void TfrMain::ExpandCommands(const std::string& templatePath, const std::string& file1,
                             const std::string& file2) {
    ExpandCommandsCalls.push_back({templatePath, file1, file2});
}
