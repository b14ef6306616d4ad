// The texts the Linux desktop reads: a desktop entry with its Exec line, and a MIME package.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellograph {

// One argument of an Exec line by the Desktop Entry rules: with a reserved
// character it goes in double quotes with a backslash before " ` $ and \; a %
// is doubled; then the escapes of string values go on top (so one backslash
// in the path becomes four).
std::string QuoteExecArgument(std::string_view arg);

// A value of type string or localestring: \ \n \t \r escaped, a leading blank as \s.
std::string EscapeDesktopString(std::string_view text);

// The program an Exec value runs, as a launcher reads it: the first
// argument, with the string escapes, the quoting and %% undone.
std::string ExecProgram(std::string_view exec);

bool IsValidUtf8(std::string_view text);

// A program path that launchers cannot be trusted with, even quoted: one with
// %, = or a control character, or one that is not UTF-8 (desktop entries are).
bool NeedsLauncherLink(std::string_view programPath);

// Splits a Windows command line: runs of blanks and control characters
// separate, a stretch in double quotes keeps its blanks and loses the quotes,
// and "" at the start of an argument is skipped.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The program and its arguments from an open command of the form
// "PROGRAM" "%1"; any other command is split as a command line.
std::vector<std::string> ParseOpenCommand(std::string_view command);

struct DesktopEntry {
    std::string name;
    std::string comment;
    // The program first; an argument "%1" is the file to open.
    std::vector<std::string> command;
    std::string icon;       // an icon name; none when empty
    std::string mimeType;   // the one type the program opens
    std::string actionName; // the caption of the open action; none when empty
    bool hidden = false;    // kept out of menus, still offered for its type
};
std::string FormatDesktopEntry(const DesktopEntry& entry);

struct MimePackage {
    std::string type;
    std::string comment;
    std::string commentRussian;
    std::string icon; // none when empty
    std::string glob;
    std::string magic; // text at offset 0
};
std::string FormatMimePackage(const MimePackage& package);

} // namespace vellograph
