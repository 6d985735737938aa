// mounted_image.cpp - making, mounting and unmounting test file system images.
#include "support/mounted_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace tessaly::test {

namespace {

namespace fs = std::filesystem;

// The full path of a tool from PATH or the system folders (root's PATH may
// lack /sbin on some machines); empty when it is not installed.
std::string findTool(const std::string& name) {
    std::vector<std::string> folders;
    if (const char* path = std::getenv("PATH")) {
        std::string all = path;
        size_t start = 0;
        while (start <= all.size()) {
            const size_t stop = std::min(all.find(':', start), all.size());
            folders.push_back(all.substr(start, stop - start));
            start = stop + 1;
        }
    }
    for (const char* system : {"/usr/sbin", "/sbin", "/usr/bin", "/bin"}) folders.emplace_back(system);
    for (const std::string& folder : folders) {
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

// Runs a command with its output discarded (or, with `out`, its standard
// output collected); its exit code, or -1 when it could not run.
int run(const std::vector<std::string>& command, std::string* out = nullptr) {
    int pipeFds[2] = {-1, -1};
    if (out && pipe(pipeFds) != 0) return -1;
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(out ? pipeFds[1] : null, 1);
        dup2(null, 2);
        std::vector<char*> argv;
        for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (out) {
        close(pipeFds[1]);
        char buffer[256];
        ssize_t n;
        while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) out->append(buffer, static_cast<size_t>(n));
        close(pipeFds[0]);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Whether `path` is on another file system than its parent.
bool isMountPoint(const std::string& path) {
    struct stat here{};
    struct stat parent{};
    return stat(path.c_str(), &here) == 0 && stat((path + "/..").c_str(), &parent) == 0 &&
           here.st_dev != parent.st_dev;
}

}  // namespace

const char* imageKindName(ImageKind kind) { return kind == ImageKind::Vfat ? "vfat" : "exfat"; }

bool MountedImage::tryMount(const std::vector<std::string>& command, const std::string& how) {
    if (command.empty() || command[0].empty()) return false;
    if (run(command) != 0 || !isMountPoint(mountPoint_)) return false;
    mounted_ = true;
    note_ = how;
    return true;
}

MountedImage::MountedImage(ImageKind kind) {
    const std::string name = imageKindName(kind);
    image_ = work_.file(name + ".img");
    mountPoint_ = work_.file("mnt");
    if (geteuid() != 0) {
        note_ = "mounting a " + name + " image needs root";
        return;
    }
    const std::string mkfs = findTool(kind == ImageKind::Vfat ? "mkfs.vfat" : "mkfs.exfat");
    if (mkfs.empty()) {
        note_ = "no " + std::string(kind == ImageKind::Vfat ? "mkfs.vfat (dosfstools)" : "mkfs.exfat (exfatprogs)");
        return;
    }
    std::error_code ignored;
    fs::create_directories(mountPoint_, ignored);
    const int fd = open(image_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const bool sized = fd >= 0 && ftruncate(fd, 64 << 20) == 0;
    if (fd >= 0) close(fd);
    std::vector<std::string> format{mkfs};
    if (kind == ImageKind::Vfat) format.insert(format.end(), {"-F", "32"});
    format.push_back(image_);
    if (!sized || run(format) != 0) {
        note_ = "cannot make a " + name + " image with " + mkfs;
        return;
    }

    const std::string mount = findTool("mount");
    if (tryMount({mount, "-t", name, "-o", "loop", image_, mountPoint_}, "kernel " + name)) return;
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
        note_ = "the kernel has no " + name + " driver and /dev/fuse cannot be opened";
        return;
    }
    if (kind == ImageKind::Vfat) {
        const std::string fusefat = findTool("fusefat");
        if (tryMount({fusefat, "-o", "rw+", image_, mountPoint_}, "fusefat")) return;
        note_ = fusefat.empty() ? "the kernel has no vfat driver and fusefat is not installed"
                                : "neither the kernel nor fusefat mounts the vfat image";
        return;
    }
    const std::string fuse = findTool("mount.exfat-fuse");
    if (fuse.empty()) {
        note_ = "the kernel has no exfat driver and mount.exfat-fuse (exfat-fuse) is not installed";
        return;
    }
    if (tryMount({fuse, image_, mountPoint_}, "exfat-fuse")) return;
    // exfat-fuse mounts block devices only on some builds: a loop device.
    const std::string losetup = findTool("losetup");
    std::string device;
    if (!losetup.empty() && run({losetup, "-f", "--show", image_}, &device) == 0) {
        while (!device.empty() && (device.back() == '\n' || device.back() == ' ')) device.pop_back();
        loopDevice_ = device;
        if (tryMount({fuse, loopDevice_, mountPoint_}, "exfat-fuse on " + loopDevice_)) return;
    }
    note_ = "neither the kernel nor exfat-fuse mounts the exfat image";
}

MountedImage::~MountedImage() {
    if (mounted_) {
        const std::string umount = findTool("umount");
        if (run({umount, mountPoint_}) != 0) {
            const std::string fusermount = findTool("fusermount");
            if (fusermount.empty() || run({fusermount, "-u", mountPoint_}) != 0) {
                run({umount, "-l", mountPoint_});
            }
        }
    }
    if (!loopDevice_.empty()) run({findTool("losetup"), "-d", loopDevice_});
}

}  // namespace tessaly::test
