#include "bench/MachineInfo.h"

#include <sys/utsname.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <QtGlobal>
#include <cstdio>
#include <fstream>

#include <jpeglib.h>

#include "bench/ChildProcess.h"

#define TOLVANER_TEXT(x) #x
#define TOLVANER_EXPANDED_TEXT(x) TOLVANER_TEXT(x)

namespace {

std::string CpuModel()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line))
        if (line.rfind("model name", 0) == 0) {
            const auto colon = line.find(':');
            return colon == std::string::npos ? line : line.substr(colon + 2);
        }
    return "unknown";
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

std::string FileSystemOf(const std::string& path)
{
    struct statfs info {};
    if (statfs(path.c_str(), &info) != 0)
        return "unknown";
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53:
        return "ext2/3/4";
    case 0x01021994:
        return "tmpfs (fsync costs nothing)";
    case 0x794c7630:
        return "overlayfs";
    case 0x9123683E:
        return "btrfs";
    case 0x58465342:
        return "xfs";
    default:
        break;
    }
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx", static_cast<unsigned long>(info.f_type));
    return hex;
}

}  // namespace

MachineInfo DescribeMachine(const std::string& imageMagick, const std::string& vips,
                            const std::string& temporaryDirectory)
{
    MachineInfo info;
    info.facts.emplace_back("CPU", CpuModel());
    info.facts.emplace_back("cores", std::to_string(sysconf(_SC_NPROCESSORS_ONLN)));
    // Other work on the machine widens every figure's spread; this says how busy it was.
    std::ifstream loadavg("/proc/loadavg");
    std::string one, five;
    if (loadavg >> one >> five)
        info.facts.emplace_back("load average at the start", one + " (1 min), " + five + " (5 min)");
    utsname name{};
    if (uname(&name) == 0)
        info.facts.emplace_back("kernel", std::string(name.sysname) + " " + name.release);
    info.facts.emplace_back("compiler", "g++ " __VERSION__);
#ifdef __SANITIZE_ADDRESS__
    info.facts.emplace_back("build type", TOLVANER_BENCH_BUILD_TYPE
                            " with AddressSanitizer: these figures say nothing of the program's speed or memory");
#else
    info.facts.emplace_back("build type", TOLVANER_BENCH_BUILD_TYPE);
#endif
    info.facts.emplace_back("libjpeg-turbo", std::string(TOLVANER_EXPANDED_TEXT(LIBJPEG_TURBO_VERSION)) +
                                                 " (API " + std::to_string(JPEG_LIB_VERSION) + ")");
    info.facts.emplace_back("Qt", qVersion());
    info.facts.emplace_back("ImageMagick",
                            imageMagick.empty() ? "not installed"
                                                : FirstLine(RunChild({imageMagick, "-version"}, {}, true).output));
    info.facts.emplace_back("vips", vips.empty() ? "not installed"
                                                 : FirstLine(RunChild({vips, "--vips-version"}, {}, true).output));
    info.facts.emplace_back("files and thumbnails on", FileSystemOf(temporaryDirectory));
    return info;
}
