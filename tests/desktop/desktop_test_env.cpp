// A throwaway desktop for tests: HOME and XDG_* in a temporary folder, and child processes.
#include "tests/desktop/desktop_test_env.h"

#include "desktop/association.h"
#include "desktop/database_updates.h"

#include <QCoreApplication>
#include <QFile>
#include <QMimeDatabase>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vellograph::test {

namespace fs = std::filesystem;

TempDesktop::TempDesktop(std::string programPath) {
    std::string pattern = (fs::temp_directory_path() / "vellograph-desktop-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    root_ = pattern;
    const std::map<std::string, std::string> env = {
        {"HOME", root_},
        {"XDG_DATA_HOME", data()},
        {"XDG_CONFIG_HOME", root_ + "/.config"},
        {"XDG_CACHE_HOME", root_ + "/.cache"},
        {"XDG_STATE_HOME", root_ + "/.local/state"},
        {"XDG_RUNTIME_DIR", root_ + "/run"},
    };
    fs::create_directories(root_ + "/run");
    fs::permissions(root_ + "/run", fs::perms::owner_all);
    // Tests may change these two; they are put back too.
    for (const char* name : {"PATH", "XDG_DATA_DIRS"}) {
        const char* old = std::getenv(name);
        savedEnv_[name] = old ? old : std::string("\x01unset");
    }
    for (const auto& [name, value] : env) {
        const char* old = std::getenv(name.c_str());
        savedEnv_[name] = old ? old : std::string("\x01unset");
        setenv(name.c_str(), value.c_str(), 1);
    }
    setProgramPath(programPath);
}

void TempDesktop::setProgramPath(const std::string& programPath) {
    AssociationPlatform platform = DefaultAssociationPlatform();
    platform.programPath = [programPath] { return programPath; };
    SetAssociationPlatform(platform);
}

TempDesktop::~TempDesktop() {
    // The databases of this desktop are rebuilt before it goes, and what
    // failed in them is not left for a later test.
    WaitForDatabaseUpdates();
    TakeDatabaseUpdateFailures();
    SetAssociationPlatform(DefaultAssociationPlatform());
    for (const auto& [name, value] : savedEnv_) {
        if (value == "\x01unset") {
            unsetenv(name.c_str());
        } else {
            setenv(name.c_str(), value.c_str(), 1);
        }
    }
    std::error_code ignored;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
}

std::vector<std::string> TempDesktop::registrationFiles() const {
    return {desktopEntry(), mimePackage(),
            data() + "/icons/hicolor/scalable/apps/vellograph3-vlgf.svg",
            data() + "/icons/hicolor/scalable/mimetypes/vellograph3-vlgf-document.svg"};
}

ProcessResult Run(const std::vector<std::string>& argv) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    ProcessResult result;
    if (spawned != 0) {
        close(pipeFds[0]);
        return result;
    }
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0) {
            result.output.append(buffer, static_cast<std::size_t>(n));
        } else if (errno != EINTR) {
            break;
        }
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool HaveProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& data) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << data;
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(dir, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        const std::string relative = fs::relative(it->path(), dir).string();
        if (it->is_symlink()) {
            files[relative] = "-> " + fs::read_symlink(it->path()).string();
        } else if (it->is_regular_file()) {
            files[relative] = ReadFile(it->path().string());
        } else {
            files[relative + "/"] = "";
        }
    }
    return files;
}

std::vector<std::string> MimeTypesInChild(const std::vector<std::string>& files) {
    std::vector<std::string> argv = {"/proc/self/exe", PrintMimeTypesFlag};
    argv.insert(argv.end(), files.begin(), files.end());
    const ProcessResult result = Run(argv);
    std::vector<std::string> types;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
        types.push_back(line);
    }
    return types;
}

int PrintMimeTypes(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QMimeDatabase mime;
    for (int i = 2; i < argc; ++i) {
        std::printf("%s\n", qPrintable(mime.mimeTypeForFile(QFile::decodeName(argv[i])).name()));
    }
    return 0;
}

} // namespace vellograph::test
