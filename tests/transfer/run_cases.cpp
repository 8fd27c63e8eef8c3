#include "tests/transfer/run_cases.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>
#include <set>
#include <sstream>

#include "tests/text_1250/text_1250.h"
#include "transfer/path_names.h"

namespace run_cases {
namespace {

// Pieces of names in Windows-1250: Czech letters of both cases, what cmd and
// masks treat specially, dots, blanks and the folder delimiter.
const char* const kPieces[] = {"a", "b", "A", "x", "\xE8", "\xC8", "\xF8", "\x9E", "\xED", "\xCD", " ", "-",
                               "&", "(", ")", "!", "%", "^", "~", "..", ".", "_", "'", "\xB4"};

// The draws of later kinds of case come from a second stream, so that a
// seed still makes the tree, options and selection it made before.
class Gen {
public:
    explicit Gen(std::uint32_t seed) : rng_(seed), more_(seed * 2654435761u + 1) {}
    int More(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(more_); }
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Int(1, 100) <= percent; }
    std::string Pick(std::initializer_list<const char*> items) {
        return *(items.begin() + Int(0, static_cast<int>(items.size()) - 1));
    }
    // A folder's name ends in no dot or blank; a file's may (other systems,
    // shares and archives make such names), and may be 250 to 255 letters
    // long, all a file system holds.
    std::string Name(bool file) {
        std::string n;
        for (int k = Int(1, 4); k > 0; --k) n += kPieces[Int(0, std::size(kPieces) - 1)];
        while (!n.empty() && (n.back() == '.' || n.back() == ' ')) n.pop_back();
        if (n.empty()) n = "n";
        if (!file) return n;
        n += Pick({".txt", ".mp3", ".TXT", ""});
        if (More(1, 100) <= 5) {  // as many letters as a name holds, also where a letter beyond ASCII takes two bytes (Linux)
            int wide = 0;
            for (unsigned char ch : n) wide += ch >= 0x80;
            n.insert(0, static_cast<std::size_t>(std::max(0, More(250, 255) - wide - static_cast<int>(n.size()))), 'L');
        } else if (More(1, 100) <= 10) {
            n += More(0, 2) == 0 ? "." : More(0, 1) ? " " : "..";
        }
        return n;
    }

private:
    std::mt19937 rng_, more_;
};

// The same name in the other letter case, as Windows-1250 pairs the letters.
std::string OtherCase(std::string name) {
    static const std::string lower = "abcdefghijklmnopqrstuvwxyz\xE8\xF8\x9E\xED";
    static const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC8\xD8\x8E\xCD";
    for (char& ch : name) {
        if (auto p = lower.find(ch); p != std::string::npos) ch = upper[p];
        else if (auto q = upper.find(ch); q != std::string::npos) ch = lower[q];
    }
    return name;
}

}  // namespace

Case Generate(std::uint32_t seed) {
    Gen g(seed);
    Case c;
    c.seed = seed;
    const int op = g.Int(1, 100);
    c.op = op <= 35 ? Op::Copy : op <= 65 ? Op::Move : op <= 80 ? Op::Cz : Op::Delete;
    std::set<Text> taken;
    std::vector<std::string> inputDirs = {"in"};
    c.dirs = {"in", "by", "|"};
    for (int k = g.Int(0, 3); k > 0; --k) {
        const std::string parent = inputDirs[g.Int(0, static_cast<int>(inputDirs.size()) - 1)];
        const std::string dir = parent + "\\" + g.Name(false);
        if (std::count(parent.begin(), parent.end(), '\\') < 2 && taken.insert(NameKey(From1250(dir))).second) {
            inputDirs.push_back(dir);
            c.dirs.push_back(dir);
        }
    }
    auto add = [&](const std::string& path, bool selected, int readOnlyPercent, int size) {
        if (ToUtf8(From1250(FileNameOf(path))).size() > 255) return;  // more than the file system below holds
        if (!taken.insert(NameKey(From1250(path))).second) return;
        c.files.push_back({path, "seed " + std::to_string(seed) + " file " + std::to_string(c.files.size()) + "\n",
                           selected, g.Chance(readOnlyPercent)});
        c.files.back().bytes.resize(c.files.back().bytes.size() + size, static_cast<char>('a' + c.files.size() % 26));
    };
    c.place = static_cast<Place>(g.Int(0, 4));
    if (c.op == Op::Cz && g.Chance(60)) c.place = Place::SameAsInput;
    c.mode = static_cast<TransferMode>(g.Int(0, 2));
    c.delimiter = g.Pick({"_", "-", ".", ".."});
    c.dirsDelimiter = g.Pick({"", "", "~", "~", "("});
    c.replace = g.Chance(40);
    c.from = g.Pick({" ", "a", "~", ".", "\xE8", "-"});
    c.to = g.Pick({"_", ".", "..", "\\", " ", "", "A"});
    const bool big = c.place == Place::OtherVolume;
    for (int files = g.Int(4, 12), tries = 0; static_cast<int>(c.files.size()) < files && tries < 50; ++tries) {
        std::string name = g.Name(true), dir = inputDirs[g.Int(0, static_cast<int>(inputDirs.size()) - 1)];
        const std::string other = c.files.empty() ? "" : c.files[g.Int(0, static_cast<int>(c.files.size()) - 1)].path;
        const bool twin = other.rfind("in\\", 0) == 0;  // a name made from an input file's
        const int kind = g.Int(1, 100);
        if (kind <= 12) {
            name = "..~by~" + name;  // with the folder delimiter ~ it climbs out of the output folder
            if (g.Chance(50)) add("by\\" + name.substr(6), false, 0, 10);
        } else if (twin && kind <= 17) {
            name = "x~..~" + FileNameOf(other);  // with ~ it names the other file of its folder
            dir = FolderOf(other).substr(0, FolderOf(other).size() - 1);
        } else if (twin && kind <= 32) {
            name = OtherCase(FileNameOf(other));  // a case twin in another folder
        } else if (twin && kind <= 42) {
            // The name that the other file of its folder gets by the replacement.
            name = FileNameOf(other);
            for (std::size_t p = 0; (p = name.find(c.from, p)) != std::string::npos; p += c.to.size())
                name.replace(p, c.from.size(), c.to);
            dir = FolderOf(other).substr(0, FolderOf(other).size() - 1);
            if (name.empty() || name.find('\\') != std::string::npos || name.back() == '.' || name.back() == ' ')
                continue;
        }
        const bool selected = g.Chance(75);
        const int size = big && g.Chance(40) ? g.Int(20000, 70000) : g.Int(0, 64);
        add(dir + "\\" + name, selected, 10, size);
    }
    add("by\\" + g.Name(true), false, 0, 10);
    // A file named by another's 8.3 name, in another folder: flat into one
    // folder the two meet under one name to Windows.
    if (g.More(1, 100) <= 30) {
        std::vector<int> longNamed;
        for (int i = 0; i < static_cast<int>(c.files.size()); ++i)
            if (c.files[i].path.rfind("in\\", 0) == 0 && FileNameOf(c.files[i].path).size() > 12) longNamed.push_back(i);
        if (!longNamed.empty() && inputDirs.size() > 1) {
            File f{inputDirs[g.More(0, static_cast<int>(inputDirs.size()) - 1)] + "\\(8.3 name)", "the 8.3 twin\n", g.More(0, 3) > 0};
            f.shortOf = longNamed[g.More(0, static_cast<int>(longNamed.size()) - 1)];
            if (FolderOf(f.path) != FolderOf(c.files[f.shortOf].path)) {
                c.files.push_back(f);
                c.files[f.shortOf].selected = true;
                if (g.More(1, 100) <= 70) c.mode = TransferMode::IntoRoot;  // where the two meet
            }
        }
    }
    std::vector<File> inputFiles;
    std::copy_if(c.files.begin(), c.files.end(), std::back_inserter(inputFiles),
                 [](const File& f) { return f.path.rfind("in\\", 0) == 0; });
    auto someInputName = [&] { return FileNameOf(inputFiles[g.Int(0, static_cast<int>(inputFiles.size()) - 1)].path); };
    switch (c.place) {
    case Place::Sibling:
    case Place::Missing:
        c.output = "out";
        if (c.place == Place::Missing) break;
        c.dirs.push_back("out");
        for (int k = g.Int(0, 2); k > 0; --k) add("out\\" + someInputName(), false, 30, 5);
        break;
    case Place::SameAsInput:
        c.output = "in";
        c.spelling = std::max(0, g.More(-1, 2));
        break;
    case Place::InsideInput:
        c.output = "in\\out";
        c.dirs.push_back("in\\out");
        if (g.Chance(50)) {
            const std::string name = someInputName();
            add("in\\out\\" + name, g.Chance(75), 30, 5);
        }
        break;
    case Place::OtherVolume:
        c.output = "|out";
        c.dirs.push_back("|out");
        if (g.Chance(50)) add("|out\\" + someInputName(), false, 30, 5);
        break;
    }
    c.addFolderNames = g.Chance(15);
    c.relative = g.Chance(30);
    c.untickRelative = c.relative && g.Chance(40);
    c.decoy = c.relative && g.Chance(60);
    if (c.decoy) {  // the same relative paths below another current directory
        for (const std::string& d : std::vector<std::string>(c.dirs))
            if (d.rfind("in", 0) == 0) c.dirs.push_back("cwd\\" + d);
        c.dirs.insert(c.dirs.begin(), "cwd");
        for (const File& f : inputFiles) c.files.push_back({"cwd\\" + f.path, "decoy of " + f.bytes, false, false});
    }
    const int input = g.Int(1, 100);
    c.input = input <= 50 ? Input::None : input <= 65 ? Input::EscapeNo : input <= 75 ? Input::CtrlA
            : input <= 85 ? Input::MarkAll : Input::Close;
    c.escapeInEdit = g.Chance(40);
    int anchors = 0;
    for (const File& f : c.files)
        if (f.selected && (c.op != Op::Delete || f.readOnly)) ++anchors;
    c.inputAfter = g.Int(-1, anchors - 1);
    return c;
}

std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char ch : text) {
        if (ch >= 0x20 && ch < 0x7F) out += static_cast<char>(ch);
        else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", ch);
            out += hex;
        }
    }
    return out;
}

std::string Describe(const Case& c) {
    static const char* const ops[] = {"Copy", "Move", "CZ", "Delete"};
    static const char* const modes[] = {"add subdir names", "usual", "into root"};
    static const char* const inputs[] = {"none", "Escape answered No", "Ctrl+A", "Mark All", "close"};
    std::ostringstream o;
    o << "seed " << c.seed << ": " << ops[static_cast<int>(c.op)] << " into " << Printable(c.output) << ", mode "
      << modes[static_cast<int>(c.mode)] << ", delimiter '" << c.delimiter << "', folder delimiter '"
      << c.dirsDelimiter << "'";
    if (c.spelling) o << (c.spelling == 1 ? ", typed in capitals" : ", typed as its 8.3 path");
    if (c.replace) o << ", replace '" << Printable(c.from) << "' by '" << Printable(c.to) << "'";
    if (c.addFolderNames) o << ", add folder names";
    if (c.relative) o << ", relative paths" << (c.untickRelative ? " unticked after listing" : "");
    if (c.decoy) o << ", another current directory";
    o << ", input: " << inputs[static_cast<int>(c.input)];
    if (c.input != Input::None) o << " after " << c.inputAfter << (c.escapeInEdit ? " (in the output box)" : "");
    o << "\n";
    for (const File& f : c.files)
        o << "  " << (f.selected ? "[x] " : "[ ] ") << Printable(f.path) << ", " << f.bytes.size() << " bytes"
          << (f.readOnly ? ", read-only" : "") << "\n";
    return o.str();
}

void SetNameOptions(const Case& c, TransferOptions& o) {
    o.Mode = c.mode;
    o.Delimiter = From1250(c.delimiter);
    o.DirsDelimiter = From1250(c.dirsDelimiter);
    o.ReplaceInNames = c.replace;
    o.CharsToReplace = From1250(c.from);
    o.NewChars = From1250(c.to);
    o.AddFolderNames = c.addFolderNames;
    o.MoveFiles = c.op == Op::Move;
}

std::uint32_t EnvNumber(const char* name, std::uint32_t otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10)) : otherwise;
}

}  // namespace run_cases
