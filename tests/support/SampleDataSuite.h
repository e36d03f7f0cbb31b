#pragma once
#include <gtest/gtest.h>

#include <string>

#include "game/DataDirectories.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/SampleTree.h"

// A suite whose tests read the sample data tree: the tree is written once
// for the suite into a folder of its own, and the data directories point at
// it for every test. Only what a program that writes the tree links anyway
// is used, so the fixture needs no library of its own.
class SampleDataSuite : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_->Str(), &error)) << error;
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(g_dataDirs.Find(dir_->Str())); }
    void TearDown() override { g_dataDirs.Clear(); }

private:
    inline static TempDir* dir_ = nullptr;
};
