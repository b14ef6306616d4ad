// A throwaway desktop for tests: HOME and XDG_* in a temporary folder, and child processes.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vellograph::test {

// Points HOME and the XDG folders into a new temporary folder, and the
// association at a made-up program path; everything (PATH and
// XDG_DATA_DIRS too) is put back and the folder removed at the end of the
// scope, once the databases' background updates are over.
class TempDesktop {
public:
    explicit TempDesktop(std::string programPath = "/opt/Vellograph Test/vellograph");
    TempDesktop(const TempDesktop&) = delete;
    TempDesktop& operator=(const TempDesktop&) = delete;
    ~TempDesktop();

    void setProgramPath(const std::string& programPath);
    const std::string& root() const { return root_; }
    // $XDG_DATA_HOME.
    std::string data() const { return root_ + "/.local/share"; }
    std::string store() const { return data() + "/vellograph/registry.txt"; }
    std::string desktopEntry() const { return data() + "/applications/vellograph3-vlgf.desktop"; }
    std::string mimePackage() const { return data() + "/mime/packages/vellograph3-vlgf.xml"; }
    // The files the registration owns, besides the store.
    std::vector<std::string> registrationFiles() const;

private:
    std::string root_;
    std::map<std::string, std::string> savedEnv_;
};

struct ProcessResult {
    int exitCode = -1; // -1 when it could not start or was killed
    std::string output;
};
// Runs argv[0] (a path, or a name on $PATH) without a shell and collects its standard output.
ProcessResult Run(const std::vector<std::string>& argv);
bool HaveProgram(const std::string& name);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& data);
bool Exists(const std::string& path);
// Every file and link below a folder with its contents (a link's target).
std::map<std::string, std::string> Snapshot(const std::string& dir);

// The MIME types QMimeDatabase gives the files, in a fresh process (it caches).
std::vector<std::string> MimeTypesInChild(const std::vector<std::string>& files);
// Entry point of that child, from main(): prints one type per line.
int PrintMimeTypes(int argc, char** argv);
inline constexpr char PrintMimeTypesFlag[] = "--print-mime-types";

} // namespace vellograph::test
