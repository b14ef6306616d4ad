// The texts the Linux desktop reads: a desktop entry with its Exec line, and a MIME package.
#include "desktop/desktop_entry.h"

#include <algorithm>

namespace vellograph {
namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string XmlAttribute(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

std::string ExecLine(const std::vector<std::string>& command) {
    std::string line;
    for (const std::string& arg : command) {
        if (!line.empty()) {
            line += ' ';
        }
        // Field codes stand alone: %f is one local file, the meaning of %1.
        line += arg == "%1" ? std::string("%f") : QuoteExecArgument(arg);
    }
    return line;
}

} // namespace

std::string QuoteExecArgument(std::string_view arg) {
    constexpr std::string_view Reserved = " \t\n\"'\\><~|&;$*?#()`";
    const bool quoted = arg.empty() || arg.find_first_of(Reserved) != std::string_view::npos;
    std::string unescaped = quoted ? "\"" : "";
    for (const char c : arg) {
        if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            unescaped += '\\';
        }
        unescaped += c == '%' ? std::string("%%") : std::string(1, c);
    }
    if (quoted) {
        unescaped += '"';
    }
    return EscapeDesktopString(unescaped);
}

std::string EscapeDesktopString(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case ' ':
            out += out.empty() ? "\\s" : " ";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

std::string ExecProgram(std::string_view exec) {
    std::string value;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] != '\\' || i + 1 == exec.size()) {
            value += exec[i];
            continue;
        }
        // Only these are string escapes; any other backslash is the quoting's.
        const char c = exec[++i];
        const std::string_view escapes = "s \\\\n\nt\tr\r";
        const std::size_t at = escapes.find(c);
        if (at != std::string_view::npos && at % 2 == 0) {
            value += escapes[at + 1];
        } else {
            value += {'\\', c};
        }
    }
    std::size_t i = value.find_first_not_of(' ');
    std::string program;
    if (i != std::string::npos && value[i] == '"') {
        for (++i; i < value.size() && value[i] != '"'; ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                ++i;
            }
            program += value[i];
        }
    } else if (i != std::string::npos) {
        program = value.substr(i, value.find(' ', i) - i);
    }
    std::string unpercent;
    for (std::size_t k = 0; k < program.size(); ++k) {
        unpercent += program[k];
        k += program.compare(k, 2, "%%") == 0 ? 1 : 0;
    }
    return unpercent;
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80                    ? 1
                                   : lead >= 0xC2 && lead <= 0xDF ? 2
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            point = point << 6 | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF.
        constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < Least[length] || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) {
            return false;
        }
        i += length;
    }
    return true;
}

bool NeedsLauncherLink(std::string_view programPath) {
    const bool awkward = std::any_of(programPath.begin(), programPath.end(), [](char c) {
        return c == '%' || c == '=' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    return awkward || !IsValidUtf8(programPath);
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> args;
    std::size_t i = 0;
    for (;;) {
        while (i < commandLine.size() && IsBlankOrControl(commandLine[i])) {
            ++i;
        }
        if (commandLine.substr(i, 2) == "\"\"") {
            i += 2;
            continue;
        }
        if (i == commandLine.size()) {
            return args;
        }
        std::string arg;
        while (i < commandLine.size() && !IsBlankOrControl(commandLine[i])) {
            if (commandLine[i] != '"') {
                arg += commandLine[i++];
                continue;
            }
            const auto close = commandLine.find('"', i + 1);
            const auto end = close == std::string_view::npos ? commandLine.size() : close;
            arg += commandLine.substr(i + 1, end - i - 1);
            i = std::min(end + 1, commandLine.size());
        }
        args.push_back(std::move(arg));
    }
}

std::vector<std::string> ParseOpenCommand(std::string_view command) {
    // The path may itself hold quotes, which no splitting could tell apart.
    constexpr std::string_view Tail = "\" \"%1\"";
    if (command.size() > Tail.size() + 1 && command.front() == '"' && command.ends_with(Tail)) {
        return {std::string(command.substr(1, command.size() - Tail.size() - 1)), "%1"};
    }
    return SplitCommandLine(command);
}

std::string FormatDesktopEntry(const DesktopEntry& entry) {
    const std::string exec = ExecLine(entry.command);
    std::string out = "[Desktop Entry]\nType=Application\n";
    out += "Name=" + EscapeDesktopString(entry.name) + "\n";
    if (!entry.comment.empty()) {
        out += "Comment=" + EscapeDesktopString(entry.comment) + "\n";
    }
    out += "Exec=" + exec + "\n";
    if (!entry.icon.empty()) {
        out += "Icon=" + EscapeDesktopString(entry.icon) + "\n";
    }
    out += "Terminal=false\nCategories=Graphics;\n";
    if (entry.hidden) {
        out += "NoDisplay=true\n";
    }
    out += "MimeType=" + entry.mimeType + ";\n";
    if (!entry.actionName.empty()) {
        out += "Actions=Open;\n\n[Desktop Action Open]\n";
        out += "Name=" + EscapeDesktopString(entry.actionName) + "\n";
        out += "Exec=" + exec + "\n";
    }
    return out;
}

std::string FormatMimePackage(const MimePackage& package) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    out += "  <mime-type type=\"" + XmlAttribute(package.type) + "\">\n";
    out += "    <comment>" + XmlAttribute(package.comment) + "</comment>\n";
    out += "    <comment xml:lang=\"ru\">" + XmlAttribute(package.commentRussian) + "</comment>\n";
    if (!package.icon.empty()) {
        out += "    <icon name=\"" + XmlAttribute(package.icon) + "\"/>\n";
    }
    out += "    <glob pattern=\"" + XmlAttribute(package.glob) + "\"/>\n";
    out += "    <magic>\n      <match type=\"string\" offset=\"0\" value=\"" +
           XmlAttribute(package.magic) + "\"/>\n    </magic>\n";
    out += "  </mime-type>\n</mime-info>\n";
    return out;
}

} // namespace vellograph
