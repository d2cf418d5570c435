#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "model/AQVData.h"
#include "tests/support/FakeUserInterface.h"

namespace aqv::test {

// A new document on the scripted interface, with the process-wide values reset and its change
// announcements counted in mChanges.
class TDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    mData = std::make_unique<TAQVData>(&mUi);
    mData->OnChange = [this](TObject*) { ++mChanges; };
  }
  TFakeUserInterface mUi;
  std::unique_ptr<TAQVData> mData;
  int mChanges = 0;
};

}  // namespace aqv::test
