// mounted_image.h - a FAT32 or exFAT file system in an image file, mounted
// for one test: by the kernel where it has the driver, else through FUSE.
// The destructor unmounts it, so a failed test leaves no mount behind.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tessaly::test {

enum class ImageKind { Vfat, Exfat };

class MountedImage {
public:
    explicit MountedImage(ImageKind kind);
    ~MountedImage();
    MountedImage(const MountedImage&) = delete;
    MountedImage& operator=(const MountedImage&) = delete;

    bool mounted() const { return mounted_; }
    // Why it is not mounted (for GTEST_SKIP), or how it is.
    const std::string& note() const { return note_; }
    // The mount point, without a trailing "/".
    const std::string& path() const { return mountPoint_; }

private:
    bool tryMount(const std::vector<std::string>& command, const std::string& how);

    TempDir work_;
    std::string image_;
    std::string mountPoint_;
    std::string loopDevice_;
    std::string note_;
    bool mounted_ = false;
};

// "vfat" or "exfat", for test names and traces.
const char* imageKindName(ImageKind kind);

}  // namespace tessaly::test
