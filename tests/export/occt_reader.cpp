// occt_reader.cpp — runs occt-draw in batch mode on a generated script and parses its printed results.
#include "export/occt_reader.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

namespace korvel::test {

namespace fs = std::filesystem;

namespace {

// The folder holding OpenCASCADE's versioned libraries, or empty.
fs::path OcctLibraryDir() {
    for (const char* dir : {"/usr/lib/x86_64-linux-gnu", "/usr/lib/aarch64-linux-gnu", "/usr/lib64", "/usr/lib"}) {
        if (fs::exists(fs::path(dir) / "libTKernel.so.7")) return dir;
    }
    return {};
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream ss(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(ss, dir, ':')) {
        if (!dir.empty() && access((fs::path(dir) / program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

// A private folder with libTK*.so -> libTK*.so.7 links, made once per process and removed at exit.
class LinkFolder {
public:
    LinkFolder() {
        const fs::path libs = OcctLibraryDir();
        if (libs.empty()) return;
        std::string tmpl = (fs::temp_directory_path() / "korvel-occt-XXXXXX").string();
        if (mkdtemp(tmpl.data()) == nullptr) return;
        dir_ = tmpl;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(libs, ec)) {
            const std::string name = e.path().filename().string();
            const std::string suffix = ".so.7";
            if (name.rfind("libTK", 0) != 0 || name.size() <= suffix.size() ||
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
                continue;
            }
            fs::create_symlink(e.path(), dir_ / name.substr(0, name.size() - 2), ec);
        }
    }
    ~LinkFolder() {
        std::error_code ec;
        if (!dir_.empty()) fs::remove_all(dir_, ec);
    }
    LinkFolder(const LinkFolder&) = delete;
    LinkFolder& operator=(const LinkFolder&) = delete;
    const fs::path& Dir() const { return dir_; }

private:
    fs::path dir_;
};

LinkFolder& Links() {
    static LinkFolder links;
    return links;
}

// A Tcl word that stands for the text exactly.
std::string TclQuote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\' || c == '$' || c == '[' || c == ']' || c == '{' || c == '}') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

// Runs one command and prints its result between markers; a failing command prints its error instead.
std::string Section(const std::string& name, const std::string& command) {
    return "puts \"KRV_BEGIN " + name + "\"\n" + "if {[catch {set krv_r [" + command +
           "]} krv_e]} { puts \"KRV_ERROR $krv_e\" } else { puts $krv_r }\n" + "puts \"KRV_END " + name + "\"\n";
}

// The text printed between the markers of one section.
std::string Between(const std::string& log, const std::string& name) {
    const std::string begin = "KRV_BEGIN " + name + "\n";
    const std::string end = "KRV_END " + name;
    const auto b = log.find(begin);
    if (b == std::string::npos) return {};
    const auto e = log.find(end, b);
    if (e == std::string::npos) return {};
    return log.substr(b + begin.size(), e - b - begin.size());
}

// The number after the first "Mass :" of an sprops or lprops printout.
double MassOf(const std::string& text) {
    const auto p = text.find("Mass :");
    if (p == std::string::npos) return 0.0;
    return std::strtod(text.c_str() + p + 6, nullptr);
}

// Words of a Tcl list printout: bare words and "quoted words".
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i >= text.size()) break;
        if (text[i] == '"' || text[i] == '{') {
            const char close = text[i] == '"' ? '"' : '}';
            const auto e = text.find(close, i + 1);
            out.push_back(text.substr(i + 1, e == std::string::npos ? std::string::npos : e - i - 1));
            i = e == std::string::npos ? text.size() : e + 1;
        } else {
            std::size_t e = i;
            while (e < text.size() && !std::isspace(static_cast<unsigned char>(text[e]))) ++e;
            out.push_back(text.substr(i, e - i));
            i = e;
        }
    }
    return out;
}

OcctReport Run(const std::string& reader, const std::string& path) {
    OcctReport r;
    static std::mutex mutex;  // one interpreter at a time: they share the link folder
    std::lock_guard<std::mutex> lock(mutex);
    const fs::path& links = Links().Dir();
    if (links.empty()) {
        r.Log = "no OpenCASCADE libraries found";
        return r;
    }
    const fs::path script = links / "read.tcl";
    {
        std::ofstream s(script);
        s << "pload MODELING OCAFKERNEL XDE\n";
        s << Section("READ", reader + " D " + TclQuote(fs::absolute(path).string()));
        s << Section("SHAPE", "XGetOneShape s D");
        s << Section("NB", "nbshapes s");
        s << Section("CHECK", "checkshape s");
        s << Section("BOX", "bounding s -optimal -noTriangulation -noDraw");
        s << Section("AREA", "sprops s");
        s << Section("LENGTH", "lprops s");
        s << Section("COLOURS", "XGetAllColors D");
        s << Section("LAYERS", "XGetAllLayers D");
        s << "puts \"KRV_DONE\"\n";
    }
    const char* old = std::getenv("LD_LIBRARY_PATH");
    std::string env = links.string();
    if (old != nullptr && *old != '\0') env += std::string(":") + old;
    const std::string cmd = "cd " + ShellQuote(links.string()) + " && LD_LIBRARY_PATH=" + ShellQuote(env) +
                            " timeout 600 occt-draw -b -f " + ShellQuote(script.string()) + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr) {
        r.Log = "cannot start occt-draw";
        return r;
    }
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.Log.append(buf, n);
    pclose(p);

    r.Ran = r.Log.find("KRV_DONE") != std::string::npos;
    const std::string shape = Between(r.Log, "SHAPE");
    r.Read = r.Ran && Between(r.Log, "READ").find("KRV_ERROR") == std::string::npos &&
             shape.find("KRV_ERROR") == std::string::npos;
    if (!r.Read) return r;

    std::stringstream nb(Between(r.Log, "NB"));
    std::string line;
    while (std::getline(nb, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::stringstream key(line.substr(0, colon));
        std::string k;
        key >> k;
        if (k.empty() || k == "Number") continue;
        r.Count[k] = std::atoi(line.c_str() + colon + 1);
    }
    r.Valid = Between(r.Log, "CHECK").find("This shape seems to be valid") != std::string::npos;
    std::stringstream box(Between(r.Log, "BOX"));
    r.HasBox = true;
    for (double& v : r.Box) r.HasBox = r.HasBox && static_cast<bool>(box >> v);
    r.Area = MassOf(Between(r.Log, "AREA"));
    r.Length = MassOf(Between(r.Log, "LENGTH"));
    const std::string colours = Between(r.Log, "COLOURS");
    if (colours.find("KRV_ERROR") == std::string::npos) r.Colours = Words(colours);
    const std::string layers = Between(r.Log, "LAYERS");
    if (layers.find("KRV_ERROR") == std::string::npos) r.Layers = Words(layers);
    return r;
}

}  // namespace

bool OcctAvailable() { return OnPath("occt-draw") && !OcctLibraryDir().empty(); }

OcctReport ReadStep(const std::string& path) { return Run("ReadStep", path); }

OcctReport ReadIges(const std::string& path) { return Run("ReadIges", path); }

}  // namespace korvel::test
