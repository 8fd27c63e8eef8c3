#pragma once
// The generated cases of the run's property test: a small tree of files with
// awkward names, random options, a random selection and the input that
// arrives while the run goes on. The same seed gives the same case to the
// engine's native test and to the test of the real window under Wine.
#include <cstdint>
#include <string>
#include <vector>

#include "transfer/destination.h"

namespace run_cases {

enum class Op { Copy, Move, Cz, Delete };
enum class Place { Sibling, Missing, SameAsInput, InsideInput, OtherVolume };
enum class Input { None, EscapeNo, CtrlA, MarkAll, Close };

// A path below the case's folder; one that begins with '|' (which no name
// holds) lies on the small volume of its own.
struct File {
    std::string path, bytes;
    bool selected = false, readOnly = false;
    int shortOf = -1;  // named, in its folder, by the 8.3 name of that file (known once it is made)
};

struct Case {
    std::uint32_t seed = 0;
    std::vector<std::string> dirs;  // parents first
    std::vector<File> files;
    Op op = Op::Copy;
    Place place = Place::Sibling;
    std::string output;
    int spelling = 0;  // the output folder typed as it is (0), in capitals (1), by its 8.3 path (2)
    TransferMode mode = TransferMode::UsualCopy;
    std::string delimiter, dirsDelimiter, from, to;
    bool replace = false, addFolderNames = false, relative = false, untickRelative = false, decoy = false;
    Input input = Input::None;
    bool escapeInEdit = false;
    int inputAfter = -1;  // rows done (Delete: "Cannot delete" boxes) before the input; -1: before the first
};

Case Generate(std::uint32_t seed);
// Bytes beyond ASCII as \xNN.
std::string Printable(const std::string& text);
std::string Describe(const Case& c);
// The case's options of the new names (mode, delimiters, replacing, folder
// names) and whether it moves; the folders are the caller's.
void SetNameOptions(const Case& c, TransferOptions& o);
// A number from the environment (a first seed, a count of cases), else otherwise.
std::uint32_t EnvNumber(const char* name, std::uint32_t otherwise);

}  // namespace run_cases
