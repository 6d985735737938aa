// on_each_disk.h - a test fixture that runs each case in a folder on the
// usual temporary file system and again on mounted FAT32 and exFAT images,
// as an archive on a USB stick would be written. Cases on an image that
// cannot be mounted here are skipped with the reason.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/mounted_image.h"
#include "support/temp_dir.h"

namespace tessaly::test {

enum class Disk { Local, Vfat, Exfat };

class OnEachDisk : public ::testing::TestWithParam<Disk> {
protected:
    void SetUp() override {
        if (GetParam() == Disk::Local) return;
        image_ = std::make_unique<MountedImage>(GetParam() == Disk::Vfat ? ImageKind::Vfat : ImageKind::Exfat);
        if (!image_->mounted()) GTEST_SKIP() << image_->note();
    }
    // Where the case makes its temporary folders: TempDir dir(disk()).
    std::string disk() const { return image_ ? image_->path() : local_.path(); }
    bool onImage() const { return image_ != nullptr; }

private:
    TempDir local_;
    std::unique_ptr<MountedImage> image_;
};

inline std::string diskName(const ::testing::TestParamInfo<Disk>& info) {
    switch (info.param) {
    case Disk::Local: return "Local";
    case Disk::Vfat: return "Vfat";
    default: return "Exfat";
    }
}

}  // namespace tessaly::test

#define TESSALY_ON_EACH_DISK(Suite)                                                                     \
    INSTANTIATE_TEST_SUITE_P(Disks, Suite,                                                                \
                             ::testing::Values(::tessaly::test::Disk::Local, ::tessaly::test::Disk::Vfat, \
                                               ::tessaly::test::Disk::Exfat),                          \
                             ::tessaly::test::diskName)
