// info, dump and resave: looking inside drawings and copying them, through
// the same load and save routines as the window.
#include "cli/cli_common.h"
#include "cli/commands.h"

#include "engine/format/drawing.h"
#include "engine/format/record.h"
#include "engine/playback/host.h"
#include "engine/playback/played_records.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace vellograph::cli {

namespace {

// Shows the engine's messages on standard error, where the window would
// show a box. Those of a load wait until its outcome is known: "loaded" says
// nothing that the output of info or dump does not.
class CliHost : public ConsoleHost {
public:
    explicit CliHost(bool quietOnLoad) : quietOnLoad_(quietOnLoad) {}

    void Quiet(bool quiet) { quiet_ = quiet; }
    void ShowMessage(const std::string& text) override {
        if (quiet_) {
            return;
        }
        if (loading_) {
            held_.push_back(text);
        } else {
            ConsoleHost::ShowMessage(text);
        }
    }
    // A failure is one line in the tool's form, naming the file and why.
    LoadOutcome Load(const std::string& path, TAVecImage& drawing) {
        std::string why = UnreadableReason(path);
        loading_ = true;
        const LoadOutcome outcome = why.empty() ? LoadDrawing(path, drawing) : LoadOutcome::Failed;
        loading_ = false;
        if (outcome != LoadOutcome::Loaded) {
            std::fprintf(stderr, "vellograph-cli: cannot read %s: %s\n", Quoted(path).c_str(),
                         why.empty() ? LoadFailureReason : why.c_str());
        } else if (!quietOnLoad_) {
            for (const std::string& text : held_) {
                ConsoleHost::ShowMessage(text);
            }
        }
        held_.clear();
        return outcome;
    }

private:
    bool quietOnLoad_;
    bool loading_ = false;
    bool quiet_ = false;
    std::vector<std::string> held_;
    ScopedHost installed_{*this};
};

struct CommandHelp {
    const char* synopsis;
    const char* details;
};

constexpr CommandHelp InfoHelp{
    "info FILE",
    "Prints the header line (escaped, as far as the file supplied it), the number of records\n"
    "and how many records there are of each kind.\n"};
constexpr CommandHelp DumpHelp{
    "dump FILE", "Prints every record, one per line, as INDEX TEXT:\n"
                 "  m X Y, l X Y       move and line, decoded coordinates\n"
                 "  c 0xBBGGRR         colour; e 0xBBGGRR fill (blue, green, red)\n"
                 "  d N, p N           delay in ms and pen width, as stored (not clamped)\n"
                 "  end                the end marker\n"
                 "  ? HH HH HH HH HH HH  any other record, its six bytes\n"};
constexpr CommandHelp ResaveHelp{
    "resave IN OUT",
    "Loads IN and saves it to OUT as the program would: a file of 36 + 6k bytes is copied\n"
    "byte for byte; a shorter last record is padded with zero bytes.\n"};

// Checks the arguments and loads the drawing named first, starting from a
// new drawing as the program does, so that a file shorter than a header
// leaves the same header bytes behind. Returns -1 when the command goes on,
// otherwise the exit status to return.
int Start(const Args& args, std::size_t expected, const CommandHelp& help, CliHost& host,
          TAVecImage& drawing) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::printf("usage: vellograph-cli %s\n\n%s", help.synopsis, help.details);
            return ExitOk;
        }
    }
    if (args.size() != expected) {
        const std::string name(help.synopsis, std::strcspn(help.synopsis, " "));
        std::fprintf(stderr,
                     "vellograph-cli: %s: want %zu file name%s, got %zu (usage: vellograph-cli "
                     "%s)\n",
                     name.c_str(), expected, expected == 1 ? "" : "s", args.size(), help.synopsis);
        return ExitUsage;
    }
    NewDrawing(drawing);
    return host.Load(args[0], drawing) == LoadOutcome::Loaded ? -1 : ExitFailure;
}

// Buffered standard output that formats numbers itself: a dump can run to
// millions of lines and must not be collected in memory.
class Output {
public:
    ~Output() { Flush(); }
    void Text(std::string_view text) {
        if (buffer_.size() - used_ < text.size()) {
            Flush();
        }
        if (text.size() > buffer_.size()) {
            failed_ |= std::fwrite(text.data(), 1, text.size(), stdout) != text.size();
            return;
        }
        std::memcpy(buffer_.data() + used_, text.data(), text.size());
        used_ += text.size();
    }
    void Char(char c) { Text(std::string_view(&c, 1)); }
    void Number(std::int64_t value) {
        char digits[24];
        Text(std::string_view(
            digits, static_cast<std::size_t>(std::snprintf(digits, sizeof digits, "%lld",
                                                           static_cast<long long>(value)))));
    }
    void Hex(std::uint32_t value, int width) {
        static constexpr char hex[] = "0123456789ABCDEF";
        char digits[8];
        for (int i = width - 1; i >= 0; --i, value >>= 4) {
            digits[i] = hex[value & 15];
        }
        Text(std::string_view(digits, static_cast<std::size_t>(width)));
    }
    // False when anything could not be written (a full disk, a closed pipe).
    bool Finish() {
        Flush();
        return !failed_ && std::fflush(stdout) == 0 && !std::ferror(stdout);
    }

private:
    void Flush() {
        failed_ |= std::fwrite(buffer_.data(), 1, used_, stdout) != used_;
        used_ = 0;
    }
    std::array<char, 1 << 16> buffer_{};
    std::size_t used_ = 0;
    bool failed_ = false;
};

int Finished(Output& out) {
    if (!out.Finish()) {
        std::fprintf(stderr, "vellograph-cli: cannot write the output\n");
        return ExitFailure;
    }
    return ExitOk;
}

void DumpRecord(Output& out, std::int32_t index, const TDrawCommand& r) {
    out.Number(index);
    out.Char(' ');
    if (IsEndMarker(r)) {
        out.Text("end\n");
        return;
    }
    switch (r.Letter) {
    case CmdMove:
    case CmdLine:
        out.Char(static_cast<char>(r.Letter));
        out.Char(' ');
        out.Number(RecordX(r));
        out.Char(' ');
        out.Number(RecordY(r));
        break;
    case CmdColor:
    case CmdFill:
        out.Char(static_cast<char>(r.Letter));
        out.Text(" 0x");
        out.Hex(RecordColor(r), 6);
        break;
    case CmdDelay:
    case CmdPenWidth:
        out.Char(static_cast<char>(r.Letter));
        out.Char(' ');
        out.Number(RecordX(r));
        break;
    default: {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&r);
        out.Char('?');
        for (std::size_t i = 0; i < sizeof r; ++i) {
            out.Char(' ');
            out.Hex(bytes[i], 2);
        }
    }
    }
    out.Char('\n');
}

// The header with everything but plain printable ASCII escaped.
void EscapedHeader(Output& out, const TAVecImage& d) {
    const int length = std::min<int>((d.HeaderLastIndex + 1) % 256, HeaderSize);
    out.Char('"');
    for (int i = 0; i < length; ++i) {
        const auto c = static_cast<std::uint8_t>(d.Header[static_cast<std::size_t>(i)]);
        switch (c) {
        case '\n':
            out.Text("\\n");
            break;
        case '\r':
            out.Text("\\r");
            break;
        case '\t':
            out.Text("\\t");
            break;
        case '"':
            out.Text("\\\"");
            break;
        case '\\':
            out.Text("\\\\");
            break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                out.Char(static_cast<char>(c));
            } else {
                out.Text("\\x");
                out.Hex(c, 2);
            }
        }
    }
    out.Char('"');
}

} // namespace

int RunInfo(const Args& args) {
    CliHost host(true);
    TAVecImage drawing;
    if (const int status = Start(args, 1, InfoHelp, host, drawing); status >= 0) {
        return status;
    }
    // The kinds in the order printed, each record read as playback reads it,
    // those after an end marker too.
    static constexpr const char* names[] = {"move",  "line",      "colour",     "fill",
                                            "delay", "pen width", "end marker", "other"};
    struct Counter : PlayedRecordVisitor {
        std::int64_t counts[std::size(names)] = {};
        void OnMove(std::int32_t, std::int32_t, std::int32_t) { ++counts[0]; }
        void OnLine(std::int32_t, std::int32_t, std::int32_t) { ++counts[1]; }
        void OnColor(std::int32_t, TColor) { ++counts[2]; }
        void OnFill(std::int32_t, TColor) { ++counts[3]; }
        void OnDelay(std::int32_t, std::int32_t) { ++counts[4]; }
        void OnPenWidth(std::int32_t, std::int32_t) { ++counts[5]; }
        bool OnEnd(std::int32_t) {
            ++counts[6];
            return true; // and on past it
        }
        void OnOther(std::int32_t, const TDrawCommand&) { ++counts[7]; }
    } counter;
    ForEachPlayed(drawing, 0, drawing.LastIndex, counter);
    const auto& counts = counter.counts;
    Output out;
    out.Text("header: ");
    EscapedHeader(out, drawing);
    out.Text("\nrecords: ");
    out.Number(drawing.LastIndex + 1);
    out.Char('\n');
    for (std::size_t k = 0; k < std::size(names); ++k) {
        out.Text(names[k]);
        out.Text(": ");
        out.Number(counts[k]);
        out.Char('\n');
    }
    return Finished(out);
}

int RunDump(const Args& args) {
    CliHost host(true);
    TAVecImage drawing;
    if (const int status = Start(args, 1, DumpHelp, host, drawing); status >= 0) {
        return status;
    }
    Output out;
    for (std::int32_t i = 0; i <= drawing.LastIndex; ++i) {
        DumpRecord(out, i, drawing.Commands[static_cast<std::size_t>(i)]);
    }
    return Finished(out);
}

int RunResave(const Args& args) {
    CliHost host(false);
    TAVecImage drawing;
    if (const int status = Start(args, 2, ResaveHelp, host, drawing); status >= 0) {
        return status;
    }
    std::int32_t savedSize = 0;
    host.Quiet(true); // the failure is told below, in the tool's form
    const SaveOutcome saved = SaveDrawing(args[1], drawing, savedSize);
    host.Quiet(false);
    if (saved != SaveOutcome::Saved) {
        std::fprintf(stderr, "vellograph-cli: cannot write %s: %s\n", Quoted(args[1]).c_str(),
                     UnwritableReason(args[1]).c_str());
        return ExitFailure;
    }
    host.ShowMessage("Размер сохраненного: " + std::to_string(savedSize) + " байт");
    return ExitOk;
}

} // namespace vellograph::cli
