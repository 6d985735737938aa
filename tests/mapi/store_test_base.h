// store_test_base.h - a test that mounts one personal-store file through the
// MAPI layer and leaves the layer's state clean for the next test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "mapi/mapi_state.h"
#include "mapi/outlook.h"

namespace tessaly::test {

class MountedStoreTest : public ::testing::Test {
protected:
    void SetUp() override { resetMapiState(); }
    void TearDown() override {
        CloseMapi();
        resetMapiState();
    }

    // Opens the store file at `path` as the one store of the layer.
    bool mount(const std::string& path) {
        EnsureStores("mapi32.dll");
        EnsureFoldersFn(nullptr, path);
        return mapiStoreOpen();
    }
};

}  // namespace tessaly::test
