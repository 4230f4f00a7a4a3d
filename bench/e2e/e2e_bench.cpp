// The editor end to end under the driver, against references taken side by
// side in the same run: open latency against the start of a trivial window
// program, of the bare editor window (bare_editor.cpp) and of that window
// with its view filled with the note at once in the fastest of four ways,
// save latency against a plain copy of the executable, and the editor's
// peak working set against the trivial program's and the filled window's.
// The start is also timed step by step, for the note and a new one. For the ASCII
// notes of 1 KiB, 1 MiB and 16 MiB it also times the save command (Ctrl+S),
// from the command posted after a one-character edit to the view unmodified
// with the new note in the program file, against the save reference
// (save_reference.cpp) reading the same text from a view of its own and
// putting it into a copy of that file, as the reference's own time of that
// work. The ASCII notes of 1 KiB and
// 1 MiB are also opened, saved and saved with the command under the modern
// protection, in the same rounds, and compared with the legacy one, and the
// save command once more for a modern note that keeps the most earlier
// versions a note may, against the one that keeps none; each open is also
// timed from the password confirmed to the note in the view.
// For each note size it prints one line per measurement, the medians of a
// few rounds and their ratio.
//
// Arguments: the note sizes to measure (1KiB, 1MiB, 2MiB, 4MiB and 16MiB,
// each in ASCII and with "-zh" in Chinese, without any; 24MiB and 32MiB only
// when named), and
// --open-limit-s=N, the longest wait for a note to reach the view (300 s
// without it), and --save-command-only, which measures the save command
// alone, for the sizes named that it is timed for. A note that takes longer
// is reported as a bound and not saved. The 1 KiB note is also opened with 1000 unrelated files in the
// temporary folder, which the start looks through once its window is up. With SCRIBECRYPT_PREVIOUS_EXE set, each round also opens and saves
// the note with that program, and open and save get a ratio against it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench/e2e/bare_editor.h"
#include "bench/e2e/editor_sample.h"
#include "bench/e2e/note_key.h"
#include "bench/e2e/probes.h"
#include "bench/e2e/references.h"
#include "bench/e2e/save_now_sample.h"
#include "crypto/note_history.h"
#include "ui/richview.h"

namespace {

struct NoteSize {
    const char* label;
    size_t bytes;
    bool chinese;  // lines of Chinese words between the ASCII ones
    int rounds;
    bool byDefault;    // measured when no size is named
    bool saveCommand;  // the save command is timed too
    bool modern;       // the modern protection is measured beside the legacy one
};

// Large notes take long under Wine, so they get fewer rounds. The sizes
// beyond 16 MiB probe how much the view takes at all and run only when named.
constexpr size_t kMiB = 1024 * 1024;
const NoteSize kNoteSizes[] = {
    {"1KiB", 1024, false, 5, true, true, true},           {"1MiB", kMiB, false, 5, true, true, true},
    {"2MiB", 2 * kMiB, false, 3, true, false, false},     {"4MiB", 4 * kMiB, false, 1, true, false, false},
    {"16MiB", 16 * kMiB, false, 1, true, true, false},    {"1KiB-zh", 1024, true, 5, true, false, false},
    {"1MiB-zh", kMiB, true, 5, true, false, false},       {"2MiB-zh", 2 * kMiB, true, 3, true, false, false},
    {"4MiB-zh", 4 * kMiB, true, 1, true, false, false},   {"16MiB-zh", 16 * kMiB, true, 1, true, false, false},
    {"24MiB", 24 * kMiB, false, 1, false, false, false},  {"32MiB", 32 * kMiB, false, 1, false, false, false}};
// The save command's rounds are saves in one editor session, each quick
// beside the open that precedes them, so every size gets the same number.
constexpr int kSaveCommandRounds = 5;

struct Options {
    DWORD openLimitMs = 300 * 1000;
    std::vector<std::string> sizes;  // labels; empty for all
    bool saveCommandOnly = false;
};

Options ParseOptions(int argc, char** argv) {
    const std::string limitFlag = "--open-limit-s=";
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto isSize = [&](const NoteSize& size) { return argument == size.label; };
        if (argument == "--save-command-only")
            options.saveCommandOnly = true;
        else if (argument.compare(0, limitFlag.size(), limitFlag) == 0)
            options.openLimitMs = static_cast<DWORD>(std::stoul(argument.substr(limitFlag.size())) * 1000);
        else if (std::any_of(std::begin(kNoteSizes), std::end(kNoteSizes), isSize))
            options.sizes.push_back(argument);
        else
            throw std::runtime_error("the argument " + argument);
    }
    return options;
}

// Numbered lines of 52 bytes, CR LF included, ASCII or every other one with
// Chinese words (code page 936). They fit the default window: lines that
// wrap take Wine's view several times longer to lay out, which would measure
// its wrapping rather than the editor.
std::string MakeNote(size_t bytes, bool chinese = false) {
    // "您好，世界。今天的天气很好，我们去公园散步"
    static const char kChineseWords[] =
        "\xC4\xFA\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\xA1\xA3\xBD\xF1\xCC\xEC\xB5\xC4\xCC\xEC\xC6\xF8"
        "\xBA\xDC\xBA\xC3\xA3\xAC\xCE\xD2\xC3\xC7\xC8\xA5\xB9\xAB\xD4\xB0\xC9\xA2\xB2\xBD";
    std::string note;
    note.reserve(bytes);
    for (size_t line = 0; note.size() < bytes; ++line) {
        char text[64];
        const int length =
            chinese && line % 2 == 1
                ? std::snprintf(text, sizeof text, "%08zu %s\r\n", line, kChineseWords)
                : std::snprintf(text, sizeof text, "line %08zu the quick brown fox jumps over a dog\r\n", line);
        // The last line that does not fit is cut in ASCII, never inside a
        // Chinese character.
        if (static_cast<size_t>(length) <= bytes - note.size())
            note.append(text, static_cast<size_t>(length));
        else
            note.append(bytes - note.size(), 'x');
    }
    return note;
}

std::string FolderOfThisProgram() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    bench::Require(length > 0 && length < MAX_PATH, "the benchmark's own path");
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

// The copy's folder holds its executable and what saving it left there.
void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            DeleteFileA((folder + "\\" + found.cFileName).c_str());
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

struct Round {
    bench::WindowStart trivial;
    bench::WindowStart bare;                           // the bare editor window without text
    bench::WindowStart filled[std::size(kFillWays)];  // the same with the note, in each way
    bench::EditorSample editor;
    bench::EditorSample modern;  // the same note under the modern protection, when measured
    double copyMs = 0;
    bench::EditorSample previous;  // the program of an earlier commit, when given
    bench::EditorSample crowded;   // with unrelated files in the temporary folder
    bench::StartSteps newNote;     // the editor started without a note
};

// A temporary folder as a long-used machine has it: files of all sizes, half
// of them named as temporary images are.
constexpr int kUnrelatedFiles = 1000;
void AddUnrelatedFiles(const std::string& folder) {
    for (int i = 0; i < kUnrelatedFiles; ++i) {
        const std::string name = folder + (i % 2 == 0 ? "\\TEM" : "\\other") + std::to_string(i) + ".tmp";
        bench::Require(driver::WriteFileBytes(name, std::string(static_cast<size_t>(i) * 37 % 65536, 'u')),
                       "an unrelated file");
    }
}

// The reference programs, beside the benchmark.
struct Programs {
    std::string trivial;
    std::string bare;
    std::string saveReference;
};

// SCRIBECRYPT_PREVIOUS_EXE names the program of an earlier commit to measure
// side by side with this one.
constexpr char kPreviousVariable[] = "SCRIBECRYPT_PREVIOUS_EXE";
bool HasPrevious() { return !driver::PathFromEnvironment(kPreviousVariable).empty(); }

// Whether the bare editor window fills its view with a note of so many
// bytes in the given way (an index into kFillWays). The largest notes probe
// the view's limit, which only the editor reports. The single messages take
// minutes under Wine at 16 MiB (WM_SETTEXT 161 s on the 32-bit build), far
// beyond the streams, which are then the floor.
bool MeasuresFill(size_t way, size_t bytes) {
    const bool stream = std::string_view(kFillWays[way]).substr(0, std::size(kStreamIn) - 1) == kStreamIn;
    return bytes <= kViewCharacterLimit && (stream || bytes <= 4 * kMiB);
}

// One sample of each measurement, the references first; a line on the
// error output shows the run's progress.
Round MeasureRound(const char* label, int number, const Programs& programs, const std::string& note, bool modern,
                   DWORD openLimitMs) {
    Round round;
    round.trivial = bench::MeasureTrivialStart(programs.trivial);
    {
        const std::string folder = driver::MakeTempFolder("bench-bare");
        const std::string notePath = folder + "\\note.txt";
        bench::Require(driver::WriteFileBytes(notePath, note), "the bare editor window's note");
        round.bare = bench::MeasureBareEditor(programs.bare, nullptr, notePath, note, openLimitMs);
        for (size_t way = 0; way < std::size(kFillWays); ++way) {
            if (!MeasuresFill(way, note.size()))
                continue;
            round.filled[way] = bench::MeasureBareEditor(programs.bare, kFillWays[way], notePath, note, openLimitMs);
            std::fprintf(stderr, "%s round %d: bare editor window %.0f ms, filled by %s %.0f ms\n", label, number,
                         round.bare.startMs, kFillWays[way], round.filled[way].startMs);
        }
        RemoveFolder(folder);
    }
    const driver::ProgramCopy copy("bench");
    round.editor = bench::MeasureEditor(copy, note, bench::kLegacyCipher, openLimitMs);
    if (round.editor.opened) {
        // After the save the executable carries a note one character longer.
        round.copyMs = bench::MeasureCopyMs(copy.Path());
        std::fprintf(stderr, "%s round %d: open %.0f ms, start %.0f ms, save %.0f ms, copy %.1f ms\n", label,
                     number, round.editor.openMs, round.trivial.startMs, round.editor.saveMs, round.copyMs);
    } else {
        std::fprintf(stderr, "%s round %d: open cut off after %.0f ms, start %.0f ms\n", label, number,
                     round.editor.openMs, round.trivial.startMs);
    }
    RemoveFolder(copy.Folder());
    if (modern && round.editor.opened) {
        const driver::ProgramCopy modernCopy("bench-modern");
        round.modern = bench::MeasureEditor(modernCopy, note, bench::kModernCipher, openLimitMs);
        std::fprintf(stderr, "%s round %d: %s: unlock %.0f ms (%s %.0f ms), save %.0f ms\n", label, number,
                     bench::kModernCipher, round.modern.unlockMs, bench::kLegacyCipher, round.editor.unlockMs,
                     round.modern.saveMs);
        RemoveFolder(modernCopy.Folder());
    }
    if (note.size() <= 1024 && round.editor.opened) {
        // A folder of its own: in the program's folder the files would slow
        // down every library the program loads, which Wine looks for there.
        const driver::ProgramCopy crowded("bench-crowded");
        const std::string temp = driver::MakeTempFolder("bench-crowded-temp");
        AddUnrelatedFiles(temp);
        round.crowded = bench::MeasureEditor(crowded, note, bench::kLegacyCipher, openLimitMs, temp);
        std::fprintf(stderr, "%s round %d: %d unrelated files: open %.0f ms\n", label, number, kUnrelatedFiles,
                     round.crowded.openMs);
        RemoveFolder(crowded.Folder());
        RemoveFolder(temp);
    }
    if (note.size() <= 1024) {
        const driver::ProgramCopy empty("bench-new");
        round.newNote = bench::MeasureNewNoteStart(empty);
        RemoveFolder(empty.Folder());
    }
    if (HasPrevious() && round.editor.opened) {
        const driver::ProgramCopy previous("bench-previous", "scribecrypt.exe", kPreviousVariable);
        round.previous = bench::MeasureEditor(previous, note, bench::kLegacyCipher, openLimitMs);
        std::fprintf(stderr, "%s round %d: previous program: open %.0f ms, save %.0f ms\n", label, number,
                     round.previous.openMs, round.previous.saveMs);
        RemoveFolder(previous.Folder());
    }
    return round;
}

double MedianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

template <typename Field>
double Median(const std::vector<Round>& rounds, Field field) {
    std::vector<double> values;
    for (const Round& round : rounds)
        values.push_back(static_cast<double>(field(round)));
    return MedianOf(std::move(values));
}

// One row of the steps table: the medians of each step of the start; a new
// note has no password dialog, so its first two steps are shown as "-".
template <typename StepsOf>
void PrintSteps(const std::vector<Round>& rounds, const char* label, StepsOf stepsOf, bool withDialog) {
    using bench::StartSteps;
    const auto step = [&](double StartSteps::*field) {
        return Median(rounds, [&](const Round& r) { return stepsOf(r).*field; });
    };
    char dialog[32] = "-", check[32] = "-";
    if (withDialog) {
        std::snprintf(dialog, sizeof dialog, "%.0f", step(&StartSteps::dialogMs));
        std::snprintf(check, sizeof check, "%.0f", step(&StartSteps::checkMs));
    }
    std::printf("steps %-10s %18s %18s %18.0f %18.0f\n", label, dialog, check, step(&StartSteps::frameMs),
                step(&StartSteps::viewMs));
    std::fflush(stdout);
}

// "over" marks a bound: the editor was ended before its note was in view.
void PrintRatio(const char* measurement, const char* label, const char* over, double value, double reference,
                const char* unit, int decimals, const char* referenceName = "reference") {
    std::printf("%s %s: %s%.*f %s vs %.*f %s %s = %s%.2f\n", measurement, label, over, decimals, value, unit,
                decimals, reference, unit, referenceName, over, value / reference);
    std::fflush(stdout);
}

// The save command in an editor session of its own for each protection
// measured, beside the save reference; a line on the error output for each
// round.
void MeasureSaveCommand(const std::string& saveReference, const NoteSize& size, const std::string& note,
                        DWORD openLimitMs) {
    const driver::ProgramCopy legacyCopy("bench-save-now");
    std::optional<driver::ProgramCopy> modernCopy;
    std::optional<driver::ProgramCopy> historyCopy;
    std::vector<bench::SaveNowNote> notes = {{&legacyCopy, bench::kLegacyCipher}};
    if (size.modern) {
        modernCopy.emplace("bench-save-now-modern");
        notes.push_back({&*modernCopy, bench::kModernCipher});
        historyCopy.emplace("bench-save-now-history");
        notes.push_back({&*historyCopy, bench::kModernCipher, kKeptVersionLimit});
    }
    const std::vector<bench::SaveNowSample> saves =
        bench::MeasureSaveNow(notes, saveReference, note, kSaveCommandRounds, openLimitMs);
    for (const bench::SaveNowNote& saved : notes)
        RemoveFolder(saved.copy->Folder());
    for (size_t i = 0; i < notes.size(); ++i) {
        std::string label = i == 0 ? size.label : std::string(size.label) + " " + notes[i].cipher;
        if (notes[i].earlierVersions > 0)
            label += " with " + std::to_string(notes[i].earlierVersions) + " versions";
        for (size_t round = 0; round < saves[i].saveMs.size(); ++round)
            std::fprintf(stderr, "%s round %zu: ctrl+s %.1f ms, reference %.1f ms (reading the view %.1f ms, sealing %.1f ms)\n",
                         label.c_str(), round + 1, saves[i].saveMs[round], saves[i].referenceMs[round],
                         saves[i].referenceReadMs[round], saves[i].referenceSealMs[round]);
        PrintRatio("ctrl+s", label.c_str(), "", MedianOf(saves[i].saveMs), MedianOf(saves[i].referenceMs), "ms", 1);
        // A note with versions against the same protection keeping only
        // what its own rounds' saves kept: every modern save keeps one.
        if (notes[i].earlierVersions > 0)
            PrintRatio("ctrl+s", label.c_str(), "", MedianOf(saves[i].saveMs), MedianOf(saves[i - 1].saveMs), "ms",
                       1, "with its rounds' versions only");
        else if (i > 0)
            PrintRatio("ctrl+s", label.c_str(), "", MedianOf(saves[i].saveMs), MedianOf(saves[0].saveMs), "ms", 1,
                       bench::kLegacyCipher);
    }
}

void MeasureNoteSize(const Programs& programs, const NoteSize& size, DWORD openLimitMs) {
    const std::string note = MakeNote(size.bytes, size.chinese);
    std::vector<Round> rounds;
    // Once a note is cut off, further rounds would only be cut off again.
    for (int number = 1; number <= size.rounds && (rounds.empty() || rounds.back().editor.opened); ++number)
        rounds.push_back(MeasureRound(size.label, number, programs, note, size.modern, openLimitMs));
    const bool opened = rounds.back().editor.opened;
    const char* over = opened ? "" : "over ";
    if (!opened)
        rounds.erase(rounds.begin(), rounds.end() - 1);

    const double openMs = Median(rounds, [](const Round& r) { return r.editor.openMs; });
    PrintRatio("open", size.label, over, openMs, Median(rounds, [](const Round& r) { return r.trivial.startMs; }),
               "ms", 0);
    const double bareMs = Median(rounds, [](const Round& r) { return r.bare.startMs; });
    PrintRatio("open", size.label, over, openMs, bareMs, "ms", 0, "bare editor window");
    // The fastest way to fill the view is the floor for the open, and its
    // peak working set the floor for the editor's.
    bool filled = false;
    size_t fastest = 0;
    double fastestMs = 0;
    for (size_t way = 0; way < std::size(kFillWays); ++way) {
        if (!MeasuresFill(way, size.bytes))
            continue;
        const double fillMs = Median(rounds, [way](const Round& r) { return r.filled[way].startMs; });
        const std::string label = std::string(size.label) + " " + kFillWays[way];
        PrintRatio("fill", label.c_str(), "", fillMs, bareMs, "ms", 0, "bare editor window");
        if (!filled || fillMs < fastestMs) {
            filled = true;
            fastest = way;
            fastestMs = fillMs;
        }
    }
    const std::string filledName = std::string("view filled at once (") + kFillWays[fastest] + ")";
    if (filled)
        PrintRatio("open", size.label, over, openMs, fastestMs, "ms", 0, filledName.c_str());
    if (opened)
        // A plain copy takes a few milliseconds, so tenths matter here.
        PrintRatio("save", size.label, over, Median(rounds, [](const Round& r) { return r.editor.saveMs; }),
                   Median(rounds, [](const Round& r) { return r.copyMs; }), "ms", 1);
    else
        std::printf("save %s: not measured, the note was not in the view within %lu s\n", size.label,
                    static_cast<unsigned long>(openLimitMs / 1000));
    if (opened && rounds.back().modern.opened) {
        const std::string label = std::string(size.label) + " " + bench::kModernCipher;
        PrintRatio("unlock", label.c_str(), "", Median(rounds, [](const Round& r) { return r.modern.unlockMs; }),
                   Median(rounds, [](const Round& r) { return r.editor.unlockMs; }), "ms", 0, bench::kLegacyCipher);
        PrintRatio("save", label.c_str(), "", Median(rounds, [](const Round& r) { return r.modern.saveMs; }),
                   Median(rounds, [](const Round& r) { return r.editor.saveMs; }), "ms", 1, bench::kLegacyCipher);
    }
    if (opened && size.saveCommand)
        MeasureSaveCommand(programs.saveReference, size, note, openLimitMs);
    if (opened && rounds.back().crowded.opened)
        PrintRatio("open", size.label, "", Median(rounds, [](const Round& r) { return r.crowded.openMs; }),
                   Median(rounds, [](const Round& r) { return r.editor.openMs; }), "ms", 0,
                   "without 1000 unrelated files in the temporary folder");
    if (opened && HasPrevious() && rounds.back().previous.opened) {
        PrintRatio("open", size.label, "", Median(rounds, [](const Round& r) { return r.editor.openMs; }),
                   Median(rounds, [](const Round& r) { return r.previous.openMs; }), "ms", 0, "previous program");
        PrintRatio("save", size.label, "", Median(rounds, [](const Round& r) { return r.editor.saveMs; }),
                   Median(rounds, [](const Round& r) { return r.previous.saveMs; }), "ms", 1, "previous program");
    }
    if (opened && size.bytes == kMiB) {
        const bench::FindSample find = bench::MeasureFindNext(note, size.rounds);
        PrintRatio("find-next", size.label, "", MedianOf(find.findMs), MedianOf(find.selectMs), "ms", 1,
                   "selecting the match directly");
    }
    if (opened) {
        std::printf("steps %-10s %18s %18s %18s %18s\n", "(ms)", "start to dialog", "confirmed to check",
                    "to the frame", "to the text in view");
        PrintSteps(rounds, size.label, [](const Round& r) { return r.editor.steps; }, true);
        if (size.bytes <= 1024)
            PrintSteps(rounds, "new note", [](const Round& r) { return r.newNote; }, false);
    }
    const double bytesPerMiB = 1024.0 * 1024.0;
    const double memoryMiB = Median(rounds, [](const Round& r) { return r.editor.peakWorkingSetBytes; }) / bytesPerMiB;
    PrintRatio("memory", size.label, over, memoryMiB,
               Median(rounds, [](const Round& r) { return r.trivial.peakWorkingSetBytes; }) / bytesPerMiB, "MiB", 1);
    if (filled)
        PrintRatio("memory", size.label, over, memoryMiB,
                   Median(rounds, [fastest](const Round& r) { return r.filled[fastest].peakWorkingSetBytes; }) /
                       bytesPerMiB,
                   "MiB", 1, filledName.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options options = ParseOptions(argc, argv);
        const std::string folder = FolderOfThisProgram();
        const Programs programs = {folder + "\\trivial_window.exe", folder + "\\bare_editor.exe",
                                   folder + "\\save_reference.exe"};
        // A first round, not counted, brings the programs into the caches.
        MeasureRound("warm-up", 1, programs, MakeNote(1024), true, options.openLimitMs);
        for (const NoteSize& size : kNoteSizes) {
            if (!(options.sizes.empty() ? size.byDefault
                                        : std::find(options.sizes.begin(), options.sizes.end(), size.label) !=
                                              options.sizes.end()))
                continue;
            if (!options.saveCommandOnly)
                MeasureNoteSize(programs, size, options.openLimitMs);
            else if (size.saveCommand)
                MeasureSaveCommand(programs.saveReference, size, MakeNote(size.bytes, size.chinese),
                                   options.openLimitMs);
        }
        return 0;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "e2e_bench: failed at %s\n", failure.what());
        return 1;
    }
}
